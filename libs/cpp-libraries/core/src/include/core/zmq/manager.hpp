#pragma once

#include "core/zmq/socket.hpp"

#include <string>
#include <utility>

namespace orx::libs::core::zmq {

// Opens the sockets of one events loop. Failures raise orx::libs::core::exception
// ("zmq::socket_impl::connect to <endpoint>: <reason>", or "bind to").
class manager {
public:
    virtual ~manager() = default;
    virtual socket::ptr connect(socket::type type, std::string endpoint, socket::options options) = 0;
    socket::ptr connect(socket::type type, std::string endpoint) { return connect(type, std::move(endpoint), {}); }
    virtual socket::ptr bind(socket::type type, std::string endpoint, socket::options options) = 0;
    socket::ptr bind(socket::type type, std::string endpoint) { return bind(type, std::move(endpoint), {}); }
};

}  // namespace orx::libs::core::zmq
