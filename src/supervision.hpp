#pragma once

#include <core/events_loop.hpp>
#include <core/logger.hpp>
#include <core/periodic_timer.hpp>

#include <chrono>
#include <cstdint>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>

namespace orx {

// Keeps the service manager told how the service is: ready once it converts,
// alive while its events loop turns, what it has counted so far, and that it
// stops. The watchdog is kept by a timer of the loop at half the interval the
// manager asks for, so a loop that stalls stops keeping it. Without a service
// manager (no NOTIFY_SOCKET in the environment) nothing is sent.
//
// Notifications never wait: one the manager's socket cannot take at once (a
// manager that does not read, a full queue) is dropped and counted, and the
// count is warned about at most every 10 s.
class supervision {
public:
    supervision(libs::core::events_loop& events_loop, libs::core::logger& logger);
    ~supervision();
    supervision(const supervision&) = delete;
    supervision& operator=(const supervision&) = delete;

    void ready(const std::string& status);
    void status(const std::string& status);
    void stopping();

private:
    void open_notify_socket();
    void start_watchdog(libs::core::events_loop& events_loop);
    void notify(const std::string& state);

    libs::core::logger& m_logger;
    libs::core::periodic_timer::ptr m_watchdog_timer;
    int m_socket = -1;
    sockaddr_un m_address{};
    socklen_t m_address_size = 0;
    bool m_failure_logged = false;
    uint64_t m_dropped = 0;
    bool m_drop_warned = false;
    std::chrono::steady_clock::time_point m_drop_warned_at{};
};

}  // namespace orx
