#pragma once

#include "core/logger.hpp"
#include "core/timer.hpp"

#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>

#include <cstdint>
#include <memory>

namespace orx::libs::core {

class timer_impl final : public timer {
public:
    timer_impl(boost::asio::io_context& io_context, const component_logger& logger, time_point at, callback cb);

    bool is_waiting() const override { return m_data->m_waiting; }
    void reset(time_point at) override;
    void stop() override;

private:
    // State a pending wait may outlive the timer with; the timer is its only owner.
    struct shared_data {
        callback m_callback;
        bool m_waiting = false;
        // Counts the waits started; a completion acts only for the latest one.
        uint64_t m_wait_number = 0;
    };

    void reset_impl(time_point at);

    boost::asio::steady_timer m_timer;
    time_point m_time_point{};
    const component_logger& m_logger;
    std::shared_ptr<shared_data> m_data;
};

}  // namespace orx::libs::core
