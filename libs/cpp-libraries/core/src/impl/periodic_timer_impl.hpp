#pragma once

#include "core/periodic_timer.hpp"
#include "core/source_location.hpp"
#include "core/timer.hpp"
#include "core/timers_manager.hpp"

#include <chrono>
#include <memory>
#include <string>

namespace orx::libs::core {

class periodic_timer_impl final : public periodic_timer {
public:
    // Raises an exception for a period that is not positive.
    periodic_timer_impl(timers_manager& manager, std::chrono::nanoseconds period, const std::string& name,
                        timer::callback cb, source_location location, bool fire_now);

    void reset(std::chrono::nanoseconds period) override;
    void stop() override;
    void restart() override;
    void expire_now() override;

private:
    void restart_impl();
    void tick(timer::time_point expired);

    std::string m_name;
    timers_manager& m_timers_manager;
    timer::ptr m_timer;  // the one-shot timer of the next grid point; empty when stopped
    std::chrono::nanoseconds m_period;
    std::shared_ptr<timer::callback> m_callback;  // the one-shot timers hold it weakly
};

}  // namespace orx::libs::core
