#include "common/sockets.hpp"

#include <core/zmq/curve_options.hpp>

#include <stdexcept>

namespace orx::tools {

void connect(zmq::socket_t& socket, const std::string& endpoint, const boost::optional<client_keys>& keys) {
    if (keys)
        libs::core::zmq::make_curve_client(socket.handle(), keys->m_own, keys->m_server);
    try {
        socket.connect(endpoint);
    } catch (const zmq::error_t& e) {
        throw std::runtime_error("cannot connect to " + endpoint + ": " + e.what());
    }
}

void bind(zmq::socket_t& socket, const std::string& endpoint) {
    try {
        socket.bind(endpoint);
    } catch (const zmq::error_t& e) {
        throw std::runtime_error("cannot bind " + endpoint + ": " + e.what());
    }
}

}  // namespace orx::tools
