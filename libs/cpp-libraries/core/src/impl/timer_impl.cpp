#include "timer_impl.hpp"

#include <boost/asio/error.hpp>

namespace orx::libs::core {

timer_impl::timer_impl(boost::asio::io_context& io_context, const component_logger& logger, time_point at, callback cb)
    : m_timer(io_context), m_logger(logger), m_data(std::make_shared<shared_data>()) {
    m_data->m_callback = std::move(cb);
    reset_impl(at);
}

void timer_impl::reset(time_point at) { reset_impl(at); }

void timer_impl::stop() {
    m_data->m_waiting = false;
    ++m_data->m_wait_number;
    m_time_point = time_point{};
    m_timer.cancel();
}

void timer_impl::reset_impl(time_point at) {
    stop();
    m_timer.expires_at(at);
    m_time_point = at;
    // A wait that had already completed when it was cancelled still reaches its
    // handler with success; its number tells it apart from this one.
    const uint64_t wait_number = m_data->m_wait_number;
    m_timer.async_wait([&logger = m_logger, weak = std::weak_ptr<shared_data>(m_data), at,
                        wait_number](const boost::system::error_code& error) {
        auto data = weak.lock();
        const bool current = data && data->m_wait_number == wait_number;
        if (current)
            data->m_waiting = false;
        if (error == boost::asio::error::operation_aborted)
            return;
        if (error) {
            logger.log_error(error, CORE_CURRENT_LOCATION);
            return;
        }
        // `data` is held for the call, so the callback may destroy its own timer.
        if (current)
            data->m_callback(at);
    });
    m_data->m_waiting = true;
}

}  // namespace orx::libs::core
