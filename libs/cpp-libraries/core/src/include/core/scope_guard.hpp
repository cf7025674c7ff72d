#pragma once

#include <memory>
#include <type_traits>
#include <utility>

namespace orx::libs::core {

namespace detail {

class scope_guard {
public:
    virtual ~scope_guard() = default;
};

template <typename F>
class scope_guard_impl final : public scope_guard {
public:
    explicit scope_guard_impl(F&& callback) : m_callback(std::forward<F>(callback)) {}
    scope_guard_impl(scope_guard_impl&& other) noexcept
        : m_should_execute(other.m_should_execute), m_callback(std::move(other.m_callback)) {
        other.m_should_execute = false;
    }
    scope_guard_impl(const scope_guard_impl&) = delete;
    scope_guard_impl& operator=(const scope_guard_impl&) = delete;
    scope_guard_impl& operator=(scope_guard_impl&&) = delete;

    ~scope_guard_impl() override {
        if (m_should_execute)
            m_callback();
    }

private:
    bool m_should_execute = true;
    F m_callback;
};

}  // namespace detail

using scope_guard = std::unique_ptr<detail::scope_guard>;

// Runs the callback once when the returned guard is destroyed or reset.
template <typename F>
scope_guard execute_on_scope_exit(F&& callback) {
    using callback_type = std::decay_t<F>;
    return std::make_unique<detail::scope_guard_impl<callback_type>>(callback_type(std::forward<F>(callback)));
}

}  // namespace orx::libs::core
