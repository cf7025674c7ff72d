#pragma once

#include "core/zmq/message.hpp"

#include <boost/asio/io_context.hpp>
#include <boost/system/error_code.hpp>
#include <boost/utility/string_view.hpp>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace orx::libs::core::zmq {

namespace detail {
struct socket_state;
}

// The ZeroMQ context that every socket of the process opens on. It lives while
// any holder (a socket, a manager) keeps it and is terminated after the last one.
std::shared_ptr<void> shared_context();

// One ZeroMQ socket driven by a Boost.Asio io_context. Receiving completes on
// the thread that runs the context, one part per completion; sending is
// synchronous. Errors are system error codes built from zmq_errno().
class asio_socket {
public:
    using receive_handler = std::function<void(const boost::system::error_code&, message&)>;

    // Opens a socket of the given ZeroMQ type (ZMQ_PUSH, ZMQ_SUB, ...); throws
    // boost::system::system_error when libzmq refuses.
    asio_socket(boost::asio::io_context& io_context, int type);
    asio_socket(asio_socket&& other) noexcept;
    asio_socket& operator=(asio_socket&& other) noexcept;
    asio_socket(const asio_socket&) = delete;
    asio_socket& operator=(const asio_socket&) = delete;
    ~asio_socket();

    bool is_open() const { return static_cast<bool>(m_state); }
    void* native_handle() const;

    // Besides ordinary ZeroMQ endpoints, a "tcp://" port field may read "!" (a
    // random free port) or "*", "!" or nothing followed by "[first-last]" (a free
    // port of that range, in order or at random; either bound may be left out).
    // An "ipc://" endpoint another process listens on fails with EADDRINUSE.
    void bind(const std::string& endpoint);
    void bind(const std::string& endpoint, boost::system::error_code& error);
    void connect(const std::string& endpoint);
    void connect(const std::string& endpoint, boost::system::error_code& error);

    void set_option(int option, const void* value, std::size_t size);
    void set_option(int option, int value) { set_option(option, &value, sizeof value); }
    void set_option(int option, boost::string_view value) { set_option(option, value.data(), value.size()); }
    void get_option(int option, int& value);
    void get_option(int option, std::string& value);

    // Sends one part with the given ZMQ_SNDMORE / ZMQ_DONTWAIT flags; without
    // ZMQ_DONTWAIT waits inside libzmq while the socket cannot take it. The part is
    // emptied when it was queued.
    std::size_t send(message& part, int flags, boost::system::error_code& error);
    std::size_t send(message& part, int flags = 0);

    // Receives the next part synchronously (waits unless ZMQ_DONTWAIT).
    std::size_t receive(message& part, int flags, boost::system::error_code& error);
    std::size_t receive(message& part, int flags = 0);

    // Receives one part; the handler runs on the context's thread, never inside
    // this call. One receive may be pending at a time; a second one completes at
    // once with boost::asio::error::already_started.
    void async_receive(receive_handler handler);

    // Completes a pending receive with boost::asio::error::operation_aborted.
    void cancel();
    void cancel(boost::system::error_code& error);

    // Cancels, then closes the ZeroMQ socket. Queued outgoing parts are delivered
    // for at most a second afterwards.
    void close();

private:
    detail::socket_state& state() const;
    std::shared_ptr<detail::socket_state> m_state;
};

}  // namespace orx::libs::core::zmq
