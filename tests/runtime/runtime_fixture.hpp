#pragma once

#include "core/core.hpp"
#include "core/events_loop.hpp"
#include "core/logger.hpp"
#include "core/zmq/asio_socket.hpp"
#include "support/capturing_system_log.hpp"
#include "support/temp_dir.hpp"

#include <gmock/gmock.h>

#include <chrono>
#include <memory>
#include <string>

namespace runtime_test {

namespace core = orx::libs::core;
namespace zmq = core::zmq;
using namespace std::chrono_literals;
using time_point = core::timer::time_point;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

inline void send_text(zmq::asio_socket& socket, const std::string& text) {
    zmq::message part(text);
    socket.send(part);
}

// A logger, a core and a main loop, as the service has them.
class loop_test : public ::testing::Test {
protected:
    // Runs the loop until a handler stops it, for at most `limit`; false when the limit ended it.
    bool run_loop(std::chrono::milliseconds limit = 5s, bool catch_exceptions = false) {
        bool expired = false;
        auto guard = m_loop->get_timers().create_timer(
            limit, "test limit",
            [this, &expired](time_point) {
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

    core::timer::ptr timer_at(time_point at, core::timer::callback cb) {
        return m_loop->get_timers().create_timer(at, "test", std::move(cb), CORE_CURRENT_LOCATION);
    }
    time_point now() const { return m_loop->get_timers().current_time_point(); }
    boost::asio::io_context& io() { return m_loop->get_io_context(); }

    std::shared_ptr<orx::test::capturing_system_log> m_log = std::make_shared<orx::test::capturing_system_log>();
    core::logger m_root{"tarnwick", "main", m_log};
    core::core::ptr m_core = core::core::create(m_root);
    core::events_loop::ptr m_loop = m_core->create_events_loop("main loop");
    orx::test::temp_dir m_dir;
};

}  // namespace runtime_test
