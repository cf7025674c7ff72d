#pragma once

#include "core/message_stream.hpp"
#include "core/only_movable.hpp"
#include "core/periodic_timer.hpp"
#include "core/source_location.hpp"
#include "core/timer.hpp"
#include "core/timers_manager.hpp"
#include "core/zmq/manager.hpp"

#include <boost/asio/io_context.hpp>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace orx::libs::core {

// One Boost.Asio io_context run by one thread, and the factory of everything that
// lives on it: timers, ZeroMQ sockets, message streams, posted tasks. Everything
// made by a loop must be destroyed before it.
class events_loop : private only_movable {
public:
    using ptr = std::unique_ptr<events_loop>;

    // While one exists, `run` does not return for lack of work.
    class work {
    public:
        using ptr = std::unique_ptr<work>;
        virtual ~work() = default;
    };

    // Keeps a thread that stops the loop on SIGINT or SIGTERM; destroying the
    // handle ends that thread.
    class signals_handle {
    public:
        using ptr = std::unique_ptr<signals_handle>;
        virtual ~signals_handle() = default;
        virtual bool signal_is_received() const = 0;
    };

    // While one exists, each arrival of its signal calls the handler on the loop's
    // thread instead of having the signal's default effect; arrivals before the
    // handler ran are folded into one call. Destroying it gives the signal back the
    // disposition it had when the watch was made.
    class signal_watch {
    public:
        using ptr = std::unique_ptr<signal_watch>;
        virtual ~signal_watch() = default;
    };

    virtual ~events_loop() = default;

    // Runs until stopped or out of work; handler exceptions leave it.
    virtual void run() = 0;
    // Runs until stopped or out of work; a handler exception is logged at
    // `location` and the loop goes on.
    virtual void run_catch_exceptions(source_location location) = 0;
    // Safe from any thread.
    virtual void stop() = 0;
    virtual bool is_stopped() const = 0;
    virtual signals_handle::ptr stop_on_signals() = 0;
    virtual signal_watch::ptr on_signal(int signal_number, std::function<void()> handler, source_location location) = 0;

    virtual timers_manager& get_timers() = 0;
    virtual timer::ptr create_timer(timer::time_point at, const std::string& name, timer::callback cb,
                                    source_location location) = 0;
    virtual periodic_timer::ptr create_periodic_timer(std::chrono::nanoseconds period, const std::string& name,
                                                      timer::callback cb, source_location location) = 0;
    virtual periodic_timer::ptr create_periodic_timer(std::chrono::nanoseconds period, periodic_timer::execute_now,
                                                      const std::string& name, timer::callback cb,
                                                      source_location location) = 0;

    virtual message_stream::ptr create_zmq_message_stream(const std::string& endpoint) = 0;
    virtual message_stream::ptr create_zmq_raw_message_stream(const std::string& endpoint) = 0;
    virtual zmq::manager& get_zmq() = 0;

    virtual void post(std::function<void()> task, source_location location) = 0;
    virtual work::ptr create_work() = 0;
    virtual boost::asio::io_context& get_io_context() = 0;
    virtual const boost::asio::io_context& get_io_context() const = 0;
};

}  // namespace orx::libs::core
