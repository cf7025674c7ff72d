#pragma once

#include "core/events_loop.hpp"

#include <boost/asio/io_context.hpp>
#include <boost/asio/signal_set.hpp>

#include <csignal>
#include <functional>
#include <memory>

namespace orx::libs::core {

// A signal set on the loop's own io_context, armed again before each call of the
// handler, so that a handler that raises (the exception goes on to the loop)
// still sees the next arrival.
class signal_watch_impl final : public events_loop::signal_watch {
public:
    signal_watch_impl(boost::asio::io_context& io_context, int signal_number, std::function<void()> handler,
                      source_location location);
    ~signal_watch_impl() override;

private:
    void arm();

    int m_signal_number;
    struct sigaction m_previous {};
    // A completion already queued when the watch goes must find nothing to call.
    std::shared_ptr<std::function<void()>> m_handler;
    boost::asio::signal_set m_signals;
};

}  // namespace orx::libs::core
