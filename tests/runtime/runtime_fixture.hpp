#pragma once

#include "core/core.hpp"
#include "core/events_loop.hpp"
#include "core/logger.hpp"
#include "support/capturing_system_log.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>

namespace runtime_test {

namespace core = orx::libs::core;
using namespace std::chrono_literals;

using orx::test::capturing_system_log;
using orx::test::temp_dir;

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

    std::shared_ptr<capturing_system_log> m_log = std::make_shared<capturing_system_log>();
    core::logger m_root{"tarnwick", "main", m_log};
    core::core::ptr m_core = core::core::create(m_root);
    core::events_loop::ptr m_loop = m_core->create_events_loop("main loop");
    temp_dir m_dir;
};

}  // namespace runtime_test
