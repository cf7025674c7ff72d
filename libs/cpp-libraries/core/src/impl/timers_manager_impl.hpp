#pragma once

#include "core/logger.hpp"
#include "core/timers_manager.hpp"

namespace orx::libs::core {

class events_loop;

class timers_manager_impl final : public timers_manager {
public:
    timers_manager_impl(events_loop& loop, const component_logger& logger);

    timer::time_point current_time_point() const override;
    timestamp current_timestamp() const override;

    timer::ptr create_timer(std::chrono::nanoseconds delay, const std::string& name, timer::callback cb,
                            source_location location) override;
    timer::ptr create_timer(timer::time_point at, const std::string& name, timer::callback cb,
                            source_location location) override;
    periodic_timer::ptr create_periodic_timer(std::chrono::nanoseconds period, const std::string& name,
                                              timer::callback cb, source_location location) override;
    periodic_timer::ptr create_periodic_timer(std::chrono::nanoseconds period, periodic_timer::execute_now,
                                              const std::string& name, timer::callback cb,
                                              source_location location) override;

private:
    events_loop& m_events_loop;
    const component_logger& m_logger;
};

}  // namespace orx::libs::core
