#pragma once

#include "core/core.hpp"
#include "core/events_loop.hpp"

#include <boost/asio/signal_set.hpp>

#include <atomic>
#include <memory>
#include <thread>

namespace orx::libs::core {

// Stops a loop on the first SIGINT or SIGTERM. The signals are taken over when
// the handle is made, and waited for by a thread that runs a loop of its own;
// once one arrived (or the handle is destroyed) they have their default effect
// again.
class signals_handle_impl final : public events_loop::signals_handle {
public:
    signals_handle_impl(core& owner, events_loop& main_loop);
    ~signals_handle_impl() override;

    bool signal_is_received() const override { return m_signal_is_received; }

private:
    void on_signal(const boost::system::error_code& error);

    events_loop::ptr m_thread_events_loop;
    events_loop& m_main_events_loop;
    std::atomic<bool> m_signal_is_received{false};
    std::unique_ptr<boost::asio::signal_set> m_signals;  // used and destroyed by the thread once it runs
    std::thread m_thread;
};

}  // namespace orx::libs::core
