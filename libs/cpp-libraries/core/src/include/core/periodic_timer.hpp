#pragma once

#include <chrono>
#include <memory>

namespace orx::libs::core {

// A timer that calls its callback on a fixed grid of time points, one period
// apart. Periods missed while the loop was busy are skipped; the timer is re-armed
// before each call, so a callback that throws does not end the repetition.
class periodic_timer {
public:
    using ptr = std::unique_ptr<periodic_timer>;

    // Asks for a first call as soon as the loop gets to it.
    struct execute_now {};

    virtual ~periodic_timer() = default;
    // Sets a new (positive) period and starts a new grid at now + period.
    virtual void reset(std::chrono::nanoseconds period) = 0;
    virtual void stop() = 0;
    // Starts a new grid at now + period.
    virtual void restart() = 0;
    // Fires at once; the grid continues from now. Does nothing while stopped.
    virtual void expire_now() = 0;
};

}  // namespace orx::libs::core
