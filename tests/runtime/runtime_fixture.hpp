#pragma once

#include "core/core.hpp"
#include "core/events_loop.hpp"
#include "core/logger.hpp"
#include "core/system_log.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace runtime_test {

namespace core = orx::libs::core;
using namespace std::chrono_literals;

// Keeps the system-log lines of a logger for inspection.
class captured_log final : public core::system_log {
public:
    void open(const char*, int, int) override {}
    void set_mask(int) override {}
    void close() override {}
    void write(int priority, const std::string& line) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.emplace_back(priority, line);
    }

    std::vector<std::string> lines(int priority) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<std::string> result;
        for (const auto& line : m_lines)
            if (line.first == priority)
                result.push_back(line.second);
        return result;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::pair<int, std::string>> m_lines;
};

// A folder for ipc:// endpoints, removed with everything in it.
class temp_dir {
public:
    temp_dir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarnwick-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~temp_dir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// Runs `action` on a thread of its own and waits at most `limit` for it.
inline bool finishes_within(std::function<void()> action, std::chrono::milliseconds limit) {
    auto done = std::make_shared<std::promise<void>>();
    auto finished = done->get_future();
    std::thread([action = std::move(action), done]() {
        action();
        done->set_value();
    }).detach();
    return finished.wait_for(limit) == std::future_status::ready;
}

// A logger, a core and a main loop, as the service has them.
class loop_test : public ::testing::Test {
protected:
    // Runs the loop until a handler stops it, for at most `limit`; true when a
    // handler stopped it in time.
    bool run_loop(std::chrono::milliseconds limit = 5s, bool catch_exceptions = false) {
        bool expired = false;
        auto guard = m_loop->get_timers().create_timer(
            limit, "test limit",
            [this, &expired](core::timer::time_point) {
                expired = true;
                m_loop->stop();
            },
            CORE_CURRENT_LOCATION);
        m_loop->get_io_context().restart();
        if (catch_exceptions)
            m_loop->run_catch_exceptions(CORE_CURRENT_LOCATION);
        else
            m_loop->run();
        return !expired;
    }

    std::string endpoint(const std::string& name) const { return "ipc://" + m_dir.path() + "/" + name; }

    std::shared_ptr<captured_log> m_log = std::make_shared<captured_log>();
    core::logger m_root{"tarnwick", "main", m_log};
    core::core::ptr m_core = core::core::create(m_root);
    core::events_loop::ptr m_loop = m_core->create_events_loop("main loop");
    temp_dir m_dir;
};

}  // namespace runtime_test
