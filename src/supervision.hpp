#pragma once

#include <core/events_loop.hpp>
#include <core/logger.hpp>
#include <core/periodic_timer.hpp>

#include <string>

namespace orx {

// Keeps the service manager told how the service is: ready once it converts,
// alive while its events loop turns, what it has counted so far, and that it
// stops. The watchdog is kept by a timer of the loop at half the interval the
// manager asks for, so a loop that stalls stops keeping it. Without a service
// manager (no NOTIFY_SOCKET in the environment) nothing is sent.
class supervision {
public:
    supervision(libs::core::events_loop& events_loop, libs::core::logger& logger);

    void ready(const std::string& status);
    void status(const std::string& status);
    void stopping();

private:
    void notify(const std::string& state);

    libs::core::logger& m_logger;
    libs::core::periodic_timer::ptr m_watchdog_timer;
    bool m_failure_logged = false;
};

}  // namespace orx
