#include "events_loop_impl.hpp"

#include "message_stream_zmq.hpp"
#include "message_stream_zmq_raw.hpp"
#include "signal_watch_impl.hpp"
#include "signals_handle_impl.hpp"
#include "timers_manager_impl.hpp"
#include "zmq/manager_impl.hpp"

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/post.hpp>

namespace orx::libs::core {

namespace {

class work_impl final : public events_loop::work {
public:
    explicit work_impl(boost::asio::io_context& io_context) : m_guard(io_context.get_executor()) {}

private:
    boost::asio::executor_work_guard<boost::asio::io_context::executor_type> m_guard;
};

}  // namespace

events_loop_impl::events_loop_impl(core& owner, const component_logger& logger)
    : m_core(owner), m_logger(logger), m_timers(std::make_unique<timers_manager_impl>(*this, m_logger)),
      m_zmq(std::make_unique<zmq::manager_impl>(m_io_context, m_logger)) {}

events_loop_impl::~events_loop_impl() {
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::seconds(10);
    m_io_context.restart();
    for (;;) {
        try {
            m_io_context.run_until(deadline);
            break;
        } catch (...) {
            m_logger.log_exception(CORE_CURRENT_LOCATION);
        }
    }
    m_zmq.reset();
    m_timers.reset();
}

void events_loop_impl::run() { m_io_context.run(); }

void events_loop_impl::run_catch_exceptions(source_location location) {
    for (;;) {
        try {
            run();
            return;
        } catch (...) {
            m_logger.log_exception(location);
        }
    }
}

void events_loop_impl::stop() { m_io_context.stop(); }

bool events_loop_impl::is_stopped() const { return m_io_context.stopped(); }

events_loop::signals_handle::ptr events_loop_impl::stop_on_signals() {
    return std::make_unique<signals_handle_impl>(m_core, *this);
}

events_loop::signal_watch::ptr events_loop_impl::on_signal(int signal_number, std::function<void()> handler,
                                                           source_location location) {
    return std::make_unique<signal_watch_impl>(m_io_context, signal_number, std::move(handler), location);
}

timer::ptr events_loop_impl::create_timer(timer::time_point at, const std::string& name, timer::callback cb,
                                          source_location location) {
    return m_timers->create_timer(at, name, std::move(cb), location);
}

periodic_timer::ptr events_loop_impl::create_periodic_timer(std::chrono::nanoseconds period, const std::string& name,
                                                            timer::callback cb, source_location location) {
    return m_timers->create_periodic_timer(period, name, std::move(cb), location);
}

periodic_timer::ptr events_loop_impl::create_periodic_timer(std::chrono::nanoseconds period,
                                                            periodic_timer::execute_now now, const std::string& name,
                                                            timer::callback cb, source_location location) {
    return m_timers->create_periodic_timer(period, now, name, std::move(cb), location);
}

message_stream::ptr events_loop_impl::create_zmq_message_stream(const std::string& endpoint) {
    return std::make_unique<message_stream_zmq>(get_io_context(), m_logger, endpoint);
}

message_stream::ptr events_loop_impl::create_zmq_raw_message_stream(const std::string& endpoint) {
    return std::make_unique<message_stream_zmq_raw>(get_io_context(), m_logger, endpoint);
}

void events_loop_impl::post(std::function<void()> task, source_location) {
    boost::asio::post(m_io_context, std::move(task));
}

events_loop::work::ptr events_loop_impl::create_work() { return std::make_unique<work_impl>(m_io_context); }

}  // namespace orx::libs::core
