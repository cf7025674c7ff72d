#pragma once

#include "core/periodic_timer.hpp"
#include "core/source_location.hpp"
#include "core/timer.hpp"
#include "core/timestamp.hpp"

#include <chrono>
#include <string>

namespace orx::libs::core {

// Makes the timers of one events loop.
class timers_manager {
public:
    virtual ~timers_manager() = default;

    virtual timer::time_point current_time_point() const = 0;
    virtual timestamp current_timestamp() const = 0;

    virtual timer::ptr create_timer(std::chrono::nanoseconds delay, const std::string& name, timer::callback cb,
                                    source_location location) = 0;
    virtual timer::ptr create_timer(timer::time_point at, const std::string& name, timer::callback cb,
                                    source_location location) = 0;
    // The period must be positive; otherwise an exception is raised.
    virtual periodic_timer::ptr create_periodic_timer(std::chrono::nanoseconds period, const std::string& name,
                                                      timer::callback cb, source_location location) = 0;
    virtual periodic_timer::ptr create_periodic_timer(std::chrono::nanoseconds period, periodic_timer::execute_now,
                                                      const std::string& name, timer::callback cb,
                                                      source_location location) = 0;
};

}  // namespace orx::libs::core
