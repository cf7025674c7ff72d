#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace orx::libs::core {

// A one-shot timer on an events loop, on the steady clock. The callback runs on
// the loop's thread with the time point the timer was armed for; destroying or
// stopping the timer before then means no call.
class timer {
public:
    using time_point = std::chrono::steady_clock::time_point;
    using callback = std::function<void(time_point)>;
    using ptr = std::unique_ptr<timer>;

    virtual ~timer() = default;
    virtual bool is_waiting() const = 0;
    // Re-arms for `at`; a wait still pending is dropped without a call.
    virtual void reset(time_point at) = 0;
    virtual void stop() = 0;
};

}  // namespace orx::libs::core
