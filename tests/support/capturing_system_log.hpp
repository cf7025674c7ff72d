#pragma once

#include <core/system_log.hpp>

#include <syslog.h>

#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

namespace orx::test {

// A system-log sink that keeps the lines it would have written, honouring the priority mask as
// the system log does.
class capturing_system_log : public libs::core::system_log {
public:
    struct line {
        int priority;
        std::string text;
    };

    void open(const char* identity, int options, int) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_identity = identity;
        m_options = options;
    }
    void set_mask(int mask) override {
        guarded([&] { m_mask = mask; });
    }
    void write(int priority, const std::string& text) override {
        guarded([&] {
            if (m_mask & LOG_MASK(priority))
                m_lines.push_back({priority, text});
        });
    }
    void close() override {}

    std::vector<line> lines() const {
        return guarded([&] { return m_lines; });
    }
    // The texts of the lines kept, of one priority only when one is given.
    std::vector<std::string> texts(int priority = -1) const {
        std::vector<std::string> out;
        for (const auto& l : lines())
            if (priority < 0 || l.priority == priority)
                out.push_back(l.text);
        return out;
    }
    void clear() {
        guarded([&] { m_lines.clear(); });
    }
    int options() const {
        return guarded([&] { return m_options; });
    }
    std::string identity() const {
        return guarded([&] { return m_identity; });
    }

private:
    template <typename F>
    std::invoke_result_t<F> guarded(F&& f) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return f();
    }

    mutable std::mutex m_mutex;
    std::vector<line> m_lines;
    std::string m_identity;
    int m_options = 0;
    int m_mask = 0xff;
};

}  // namespace orx::test
