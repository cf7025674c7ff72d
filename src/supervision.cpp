#include "supervision.hpp"

#include <systemd/sd-daemon.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <unistd.h>

namespace orx {

namespace {

// Dropped notifications are warned about at most this often.
constexpr std::chrono::seconds drop_warning_interval{10};

// The longest watchdog interval the loop's timers can keep: their periods are
// nanoseconds added to the clock, which must not overflow. A longer one is as
// good as none.
constexpr uint64_t max_watchdog_interval_us =
    static_cast<uint64_t>(std::numeric_limits<std::chrono::nanoseconds::rep>::max() / 1000 / 4);

}  // namespace

supervision::supervision(libs::core::events_loop& events_loop, libs::core::logger& logger) : m_logger(logger) {
    open_notify_socket();
    start_watchdog(events_loop);
}

supervision::~supervision() {
    if (m_socket >= 0)
        ::close(m_socket);
}

// NOTIFY_SOCKET names a path, or with a leading '@' an abstract address.
void supervision::open_notify_socket() {
    const char* name = std::getenv("NOTIFY_SOCKET");
    if (name == nullptr || *name == '\0')
        return;
    const std::size_t length = std::strlen(name);
    if ((name[0] != '/' && name[0] != '@') || length >= sizeof m_address.sun_path) {
        m_logger.warning("supervision: NOTIFY_SOCKET \"%1%\" is no unix socket address, nothing is notified") % name;
        return;
    }
    m_address.sun_family = AF_UNIX;
    std::memcpy(m_address.sun_path, name, length);
    if (name[0] == '@')
        m_address.sun_path[0] = '\0';
    m_address_size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length + (name[0] == '@' ? 0 : 1));
    m_socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_socket < 0)
        m_logger.warning("supervision: cannot open a socket to the service manager: %1%") % std::strerror(errno);
}

void supervision::start_watchdog(libs::core::events_loop& events_loop) {
    uint64_t interval_us = 0;
    const int enabled = sd_watchdog_enabled(0, &interval_us);
    if (enabled < 0) {
        m_logger.warning("supervision: watchdog settings refused, no watchdog: %1%") % std::strerror(-enabled);
        return;
    }
    if (enabled == 0)
        return;
    if (interval_us > max_watchdog_interval_us) {
        m_logger.info("supervision: watchdog interval of %1% us too long to keep, no watchdog") % interval_us;
        return;
    }
    // Twice per interval, so that one late turn of the loop is not yet a failure.
    const auto period = std::max<std::chrono::microseconds>(
        std::chrono::microseconds(static_cast<std::chrono::microseconds::rep>(interval_us / 2)),
        std::chrono::milliseconds(1));
    m_watchdog_timer = events_loop.create_periodic_timer(
        period, libs::core::periodic_timer::execute_now{}, "watchdog",
        [this](libs::core::timer::time_point) { notify("WATCHDOG=1"); }, CORE_CURRENT_LOCATION);
}

void supervision::ready(const std::string& status) { notify("READY=1\nSTATUS=" + status); }

void supervision::status(const std::string& status) { notify("STATUS=" + status); }

void supervision::stopping() { notify("STOPPING=1"); }

void supervision::notify(const std::string& state) {
    if (m_socket < 0)
        return;
    const auto sent = ::sendto(m_socket, state.data(), state.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                               reinterpret_cast<const sockaddr*>(&m_address), m_address_size);
    if (sent >= 0)
        return;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
        ++m_dropped;
        const auto now = std::chrono::steady_clock::now();
        if (m_drop_warned && now - m_drop_warned_at < drop_warning_interval)
            return;
        m_logger.warning("supervision: %1% notifications dropped so far, the service manager does not take them") %
            m_dropped;
        m_drop_warned = true;
        m_drop_warned_at = now;
        return;
    }
    if (m_failure_logged)
        return;
    // Once: the watchdog would repeat it every few seconds.
    m_logger.warning("supervision: cannot notify the service manager: %1%") % std::strerror(errno);
    m_failure_logged = true;
}

}  // namespace orx
