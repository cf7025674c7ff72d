#include "supervision.hpp"

#include <systemd/sd-daemon.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>

namespace orx {

supervision::supervision(libs::core::events_loop& events_loop, libs::core::logger& logger) : m_logger(logger) {
    uint64_t interval_us = 0;
    const int enabled = sd_watchdog_enabled(0, &interval_us);
    if (enabled < 0) {
        m_logger.warning("supervision: watchdog settings refused, no watchdog: %1%") % std::strerror(-enabled);
        return;
    }
    if (enabled == 0)
        return;
    // Twice per interval, so that one late turn of the loop is not yet a failure.
    const auto period = std::max<std::chrono::microseconds>(std::chrono::microseconds(interval_us / 2),
                                                            std::chrono::milliseconds(1));
    m_watchdog_timer = events_loop.create_periodic_timer(
        period, libs::core::periodic_timer::execute_now{}, "watchdog",
        [this](libs::core::timer::time_point) { notify("WATCHDOG=1"); }, CORE_CURRENT_LOCATION);
}

void supervision::ready(const std::string& status) { notify("READY=1\nSTATUS=" + status); }

void supervision::status(const std::string& status) { notify("STATUS=" + status); }

void supervision::stopping() { notify("STOPPING=1"); }

void supervision::notify(const std::string& state) {
    const int sent = sd_notify(0, state.c_str());
    if (sent >= 0 || m_failure_logged)
        return;
    // Once: the watchdog would repeat it every few seconds.
    m_logger.warning("supervision: cannot notify the service manager: %1%") % std::strerror(-sent);
    m_failure_logged = true;
}

}  // namespace orx
