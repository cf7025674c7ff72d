#pragma once

// Opening the tools' sockets on the service's endpoints, with failures that name the endpoint.

#include "common/client_keys.hpp"

#include <zmq.hpp>

#include <boost/optional.hpp>

#include <string>

namespace orx::tools {

// Connects the socket, as a CURVE client of the service when keys are given. Raises
// std::runtime_error naming the endpoint when libzmq refuses it (an unknown transport, a
// malformed address); a peer that is not there yet is no failure.
void connect(zmq::socket_t& socket, const std::string& endpoint, const boost::optional<client_keys>& keys);

// Binds the socket; raises std::runtime_error naming the endpoint when that fails.
void bind(zmq::socket_t& socket, const std::string& endpoint);

}  // namespace orx::tools
