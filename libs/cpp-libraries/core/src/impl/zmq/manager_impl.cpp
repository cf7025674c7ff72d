#include "manager_impl.hpp"

#include "core/zmq/asio_socket.hpp"
#include "socket_impl.hpp"

namespace orx::libs::core::zmq {

manager_impl::manager_impl(boost::asio::io_context& io_context, const component_logger& logger)
    : m_io_context(io_context), m_logger(logger), m_context(shared_context()) {}

socket::ptr manager_impl::connect(socket::type type, std::string endpoint, socket::options options) {
    return socket_impl::connect(type, m_io_context, m_logger, std::move(endpoint), options);
}

socket::ptr manager_impl::bind(socket::type type, std::string endpoint, socket::options options) {
    return socket_impl::bind(type, m_io_context, m_logger, std::move(endpoint), options);
}

}  // namespace orx::libs::core::zmq
