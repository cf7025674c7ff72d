#include "socket_impl.hpp"

#include "core/exception.hpp"
#include "core/scope_guard.hpp"
#include "core/zmq/curve_options.hpp"

#include <boost/system/system_error.hpp>

namespace orx::libs::core::zmq {

namespace {

int zmq_type(socket::type socket_type) {
    switch (socket_type) {
    case socket::type::push: return ZMQ_PUSH;
    case socket::type::pull: return ZMQ_PULL;
    case socket::type::pub: return ZMQ_PUB;
    case socket::type::req: return ZMQ_REQ;
    case socket::type::rep: return ZMQ_REP;
    }
    return -1;
}

using attach_function = void (asio_socket::*)(const std::string&, boost::system::error_code&);

// Opens a socket and binds or connects it; the socket is closed again when that fails.
socket::ptr open(socket::type socket_type, boost::asio::io_context& io_context, const component_logger& logger,
                 const std::string& endpoint, socket::options options, attach_function attach, const char* what,
                 source_location location) {
    boost::system::error_code error;
    try {
        asio_socket opened(io_context, zmq_type(socket_type));
        if (options.immediate)
            opened.set_option(ZMQ_IMMEDIATE, 1);
        if (options.receive_queue > 0)
            opened.set_option(ZMQ_RCVHWM, options.receive_queue);
        if (options.send_queue)
            opened.set_option(ZMQ_SNDHWM, *options.send_queue);
        if (options.max_message_size > 0)
            opened.set_option(ZMQ_MAXMSGSIZE, &options.max_message_size, sizeof options.max_message_size);
        if (options.handshake_interval.count() > 0)
            opened.set_option(ZMQ_HANDSHAKE_IVL, static_cast<int>(options.handshake_interval.count()));
        zap_handler::watch::ptr refusal_watch;
        if (options.curve_as_server) {
            make_curve_server(opened, options.curve_as_server->secret_key);
            // Watching from before the bind misses no client.
            if (options.curve_as_server->refusals)
                refusal_watch = options.curve_as_server->refusals->watch_refusals(opened);
        } else if (options.curve_as_client) {
            make_curve_client(opened, options.curve_as_client->own_keys, options.curve_as_client->server_public_key);
        }
        (opened.*attach)(endpoint, error);
        if (!error)
            return std::make_unique<socket_impl>(std::move(opened), logger, std::move(refusal_watch));
    } catch (const boost::system::system_error& e) {
        error = e.code();
    }
    throw exception(std::string(what) + endpoint + ": " + zmq_strerror(error.value()), location);
}

}  // namespace

socket::ptr socket_impl::connect(type socket_type, boost::asio::io_context& io_context, const component_logger& logger,
                                 std::string endpoint, options socket_options) {
    return open(socket_type, io_context, logger, endpoint, socket_options, &asio_socket::connect,
                "zmq::socket_impl::connect to ", CORE_CURRENT_LOCATION);
}

socket::ptr socket_impl::bind(type socket_type, boost::asio::io_context& io_context, const component_logger& logger,
                              std::string endpoint, options socket_options) {
    return open(socket_type, io_context, logger, endpoint, socket_options, &asio_socket::bind,
                "zmq::socket_impl::bind to ", CORE_CURRENT_LOCATION);
}

socket_impl::socket_impl(asio_socket async_socket, const component_logger& logger,
                         zap_handler::watch::ptr refusal_watch)
    : m_socket(std::move(async_socket)), m_refusal_watch(std::move(refusal_watch)), m_logger(logger),
      m_data(std::make_shared<shared_data>()) {}

socket_impl::~socket_impl() {
    m_refusal_watch.reset();
    m_data->m_socket_alive = false;
    boost::system::error_code error;
    m_socket.cancel(error);
    if (error)
        m_logger.log_error(error, CORE_CURRENT_LOCATION);
    m_data.reset();
    m_socket.close();
}

void socket_impl::set_receive_callback(callback cb) {
    const bool first = !m_data->m_receive_callback;
    m_data->m_receive_callback = std::move(cb);
    if (first)
        setup_receive();
}

void socket_impl::setup_receive() {
    // Only `this` is held, so that the handler fits in place without an allocation
    // per message: a receive completes without an error only while the socket is
    // open, and a cancelled one (the socket closing) touches nothing.
    m_socket.async_receive([this](const boost::system::error_code& error, message& part) {
        if (error)
            return;
        // The callback may destroy this socket: what it shares stays until the end.
        const auto data = m_data;
        // The next receive is queued however the callback ends, also when it throws.
        auto next = execute_on_scope_exit([&data, this]() {
            if (data->m_socket_alive)
                setup_receive();
        });
        // A copy: the callback may replace itself or destroy the socket.
        auto receive_callback = data->m_receive_callback;
        receive_callback(part);
    });
}

void socket_impl::send(message part) { send(std::move(part), flags::none); }

void socket_impl::send(message part, flags send_flags) { m_socket.send(part, static_cast<int>(send_flags)); }

bool socket_impl::try_send(message part) { return try_send(std::move(part), flags::none); }

bool socket_impl::try_send(message part, flags send_flags) {
    boost::system::error_code error;
    m_socket.send(part, static_cast<int>(send_flags) | ZMQ_DONTWAIT, error);
    if (error == boost::system::errc::resource_unavailable_try_again)
        return false;
    if (error)
        throw boost::system::system_error(error, "zmq::socket_impl::try_send");
    return true;
}

message socket_impl::receive_more() {
    message part;
    m_socket.receive(part);
    return part;
}

}  // namespace orx::libs::core::zmq
