#pragma once

#include <boost/optional.hpp>
#include <boost/variant.hpp>

#include <string>
#include <tuple>
#include <utility>

namespace orx::libs::config {

struct error_reason {
    std::string reason;
};

// Either a value or the reason why there is none. Results combine with `+`, so
// that many lookups give one result holding every value or every reason.
template <typename T>
class result {
public:
    result(T value) : m_value(std::move(value)) {}
    result(error_reason error) : m_value(std::move(error)) {}

    bool ok() const { return m_value.which() == 0; }

    // Throws boost::bad_optional_access on a failed result.
    const T& value() const {
        if (const T* held = boost::get<T>(&m_value))
            return *held;
        throw boost::bad_optional_access();
    }

    // Empty for a successful result.
    std::string reason() const {
        const error_reason* error = boost::get<error_reason>(&m_value);
        return error ? error->reason : std::string();
    }

    boost::optional<T> try_get() const {
        if (const T* held = boost::get<T>(&m_value))
            return *held;
        return boost::none;
    }

private:
    boost::variant<T, error_reason> m_value;
};

namespace detail {

// Both values joined by `join`, or every reason of the failed sides, left first.
template <typename R, typename L, typename T, typename F>
result<R> combine(const result<L>& left, const result<T>& right, F join) {
    if (left.ok() && right.ok())
        return join(left.value(), right.value());
    if (left.ok())
        return error_reason{right.reason()};
    if (right.ok())
        return error_reason{left.reason()};
    return error_reason{left.reason() + '\n' + right.reason()};
}

}  // namespace detail

template <typename A, typename B>
result<std::tuple<A, B>> operator+(const result<A>& left, const result<B>& right) {
    return detail::combine<std::tuple<A, B>>(left, right,
                                             [](const A& a, const B& b) { return std::tuple<A, B>(a, b); });
}

// A tuple on the left grows by one element, so a chain a + b + c gives one flat tuple.
template <typename... A, typename B>
result<std::tuple<A..., B>> operator+(const result<std::tuple<A...>>& left, const result<B>& right) {
    return detail::combine<std::tuple<A..., B>>(
        left, right, [](const std::tuple<A...>& a, const B& b) { return std::tuple_cat(a, std::tuple<B>(b)); });
}

}  // namespace orx::libs::config
