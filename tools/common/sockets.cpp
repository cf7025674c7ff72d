#include "common/sockets.hpp"

#include <stdexcept>

namespace orx::tools {

void connect(zmq::socket_t& socket, const std::string& endpoint, const boost::optional<client_keys>& keys) {
    if (keys) {
        const auto buffer = [](const libs::core::zmq::curve_key& key) { return zmq::buffer(key); };
        socket.set(zmq::sockopt::curve_serverkey, buffer(keys->m_server));
        socket.set(zmq::sockopt::curve_publickey, buffer(keys->m_own.public_key));
        socket.set(zmq::sockopt::curve_secretkey, buffer(keys->m_own.secret_key));
    }
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
