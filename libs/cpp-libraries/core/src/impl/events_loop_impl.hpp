#pragma once

#include "core/core.hpp"
#include "core/events_loop.hpp"
#include "core/logger.hpp"

#include <boost/asio/io_context.hpp>

namespace orx::libs::core {

class events_loop_impl final : public events_loop {
public:
    events_loop_impl(core& owner, const component_logger& logger);
    // Runs what is still queued (completions of cancelled operations) for at most
    // ten seconds, then closes the sockets' manager and the timers.
    ~events_loop_impl() override;

    void run() override;
    void run_catch_exceptions(source_location location) override;
    void stop() override;
    bool is_stopped() const override;
    signals_handle::ptr stop_on_signals() override;
    signal_watch::ptr on_signal(int signal_number, std::function<void()> handler, source_location location) override;

    timers_manager& get_timers() override { return *m_timers; }
    timer::ptr create_timer(timer::time_point at, const std::string& name, timer::callback cb,
                            source_location location) override;
    periodic_timer::ptr create_periodic_timer(std::chrono::nanoseconds period, const std::string& name,
                                              timer::callback cb, source_location location) override;
    periodic_timer::ptr create_periodic_timer(std::chrono::nanoseconds period, periodic_timer::execute_now now,
                                              const std::string& name, timer::callback cb,
                                              source_location location) override;

    message_stream::ptr create_zmq_message_stream(const std::string& endpoint) override;
    message_stream::ptr create_zmq_raw_message_stream(const std::string& endpoint) override;
    zmq::manager& get_zmq() override { return *m_zmq; }

    void post(std::function<void()> task, source_location location) override;
    work::ptr create_work() override;
    boost::asio::io_context& get_io_context() override { return m_io_context; }
    const boost::asio::io_context& get_io_context() const override { return m_io_context; }

private:
    core& m_core;
    boost::asio::io_context m_io_context;
    const component_logger& m_logger;
    std::unique_ptr<timers_manager> m_timers;
    std::unique_ptr<zmq::manager> m_zmq;
};

}  // namespace orx::libs::core
