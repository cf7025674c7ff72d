#pragma once

#include "core/zmq/asio_socket.hpp"
#include "core/zmq/curve_keys.hpp"

#include <string>

namespace orx::libs::core::zmq {

// The ZAP domain a CURVE server names in its authentication requests.
constexpr const char* default_zap_domain = "tarnwick";

// Makes the socket a CURVE server with the given secret key: every client must
// offer a key the process's ZAP handler accepts, and with no handler running
// every client is refused. Takes effect for the binds and connects that follow.
void make_curve_server(asio_socket& socket, const curve_key& secret_key,
                       const std::string& zap_domain = default_zap_domain);

// Makes the socket a CURVE client with its own key pair, for a server that holds
// the secret key of `server_public_key`. Takes effect for the binds and
// connects that follow.
void make_curve_client(asio_socket& socket, const curve_key_pair& own_keys, const curve_key& server_public_key);
// The same for a libzmq socket handle no events loop drives (a cppzmq socket's
// handle(): the debug log's socket, the tools'); failures throw
// boost::system::system_error.
void make_curve_client(void* socket, const curve_key_pair& own_keys, const curve_key& server_public_key);

}  // namespace orx::libs::core::zmq
