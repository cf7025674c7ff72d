#include "signals_handle_impl.hpp"

#include <csignal>

namespace orx::libs::core {

signals_handle_impl::signals_handle_impl(core& owner, events_loop& main_loop)
    : m_thread_events_loop(owner.create_events_loop("stop_on_signals")), m_main_events_loop(main_loop) {
    // Registered before the thread starts, so a signal right after `stop_on_signals`
    // returns already stops the loop instead of ending the process.
    m_signals = std::make_unique<boost::asio::signal_set>(m_thread_events_loop->get_io_context(), SIGINT, SIGTERM);
    m_signals->async_wait([this](const boost::system::error_code& error, int) { on_signal(error); });
    m_thread = std::thread([this]() {
        m_thread_events_loop->run_catch_exceptions(CORE_CURRENT_LOCATION);
        m_signals.reset();
    });
}

signals_handle_impl::~signals_handle_impl() {
    m_thread_events_loop->stop();
    m_thread.join();
    m_thread_events_loop.reset();
}

void signals_handle_impl::on_signal(const boost::system::error_code& error) {
    if (error)
        return;
    m_signal_is_received = true;
    m_main_events_loop.stop();
    m_thread_events_loop->stop();
}

}  // namespace orx::libs::core
