#include "periodic_timer_impl.hpp"

#include "core/exception.hpp"

namespace orx::libs::core {

namespace {

// A period of zero would re-arm the timer for the same instant forever.
void check_period(std::chrono::nanoseconds period, source_location location) {
    if (period <= std::chrono::nanoseconds::zero())
        throw exception("periodic timer period must be positive, got " + std::to_string(period.count()) + " ns",
                        location);
}

}  // namespace

periodic_timer_impl::periodic_timer_impl(timers_manager& manager, std::chrono::nanoseconds period,
                                         const std::string& name, timer::callback cb, source_location location,
                                         bool fire_now)
    : m_name(name), m_timers_manager(manager), m_period(period),
      m_callback(std::make_shared<timer::callback>(std::move(cb))) {
    check_period(period, location);
    restart_impl();
    if (fire_now)
        m_timer->reset(m_timers_manager.current_time_point());
}

void periodic_timer_impl::reset(std::chrono::nanoseconds period) {
    check_period(period, CORE_CURRENT_LOCATION);
    m_period = period;
    restart();
}

void periodic_timer_impl::stop() { m_timer.reset(); }

void periodic_timer_impl::restart() { restart_impl(); }

void periodic_timer_impl::expire_now() {
    if (m_timer)
        m_timer->reset(m_timers_manager.current_time_point());
}

void periodic_timer_impl::restart_impl() {
    m_timer = m_timers_manager.create_timer(
        m_timers_manager.current_time_point() + m_period, m_name,
        [this, weak = std::weak_ptr<timer::callback>(m_callback)](timer::time_point expired) {
            if (auto callback = weak.lock()) {
                tick(expired);
                // Held for the call: the callback may destroy this periodic timer.
                (*callback)(expired);
            }
        },
        CORE_CURRENT_LOCATION);
}

// Re-arms for the first grid point after now, skipping the ones already missed.
void periodic_timer_impl::tick(timer::time_point expired) {
    const auto now = m_timers_manager.current_time_point();
    auto next = expired;
    if (expired <= now)
        next = expired + ((now - expired) / m_period + 1) * m_period;
    m_timer->reset(next);
}

}  // namespace orx::libs::core
