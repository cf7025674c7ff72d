#include "signal_watch_impl.hpp"

#include "core/exception.hpp"

#include <cerrno>
#include <cstring>

namespace orx::libs::core {

signal_watch_impl::signal_watch_impl(boost::asio::io_context& io_context, int signal_number,
                                     std::function<void()> handler, source_location location)
    : m_signal_number(signal_number), m_handler(std::make_shared<std::function<void()>>(std::move(handler))),
      m_signals(io_context) {
    if (::sigaction(signal_number, nullptr, &m_previous) != 0)
        throw exception("Cannot watch signal " + std::to_string(signal_number) + ": " + std::strerror(errno), location);
    m_signals.add(signal_number);
    arm();
}

signal_watch_impl::~signal_watch_impl() {
    boost::system::error_code ignored;
    m_signals.clear(ignored);
    m_signals.cancel(ignored);
    // Removing the last registration sets the default action; the one found at
    // the start (an ignored signal, say) is what the process had chosen.
    ::sigaction(m_signal_number, &m_previous, nullptr);
}

void signal_watch_impl::arm() {
    m_signals.async_wait(
        [this, weak = std::weak_ptr<std::function<void()>>(m_handler)](const boost::system::error_code& error, int) {
            const auto handler = weak.lock();
            if (error || !handler)
                return;
            arm();
            (*handler)();
        });
}

}  // namespace orx::libs::core
