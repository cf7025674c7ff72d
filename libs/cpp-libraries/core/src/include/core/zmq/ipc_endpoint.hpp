#pragma once

#include <string>

namespace orx::libs::core::zmq {

// Whether a process listens on the unix socket of an "ipc://" endpoint (a path,
// or with a leading '@' an abstract name). libzmq replaces the socket file of
// an ipc endpoint it binds, which would silently take the endpoint over from a
// process that still listens there; a file nobody listens on is stale and may
// be replaced. False for every other endpoint.
bool ipc_endpoint_in_use(const std::string& endpoint);

}  // namespace orx::libs::core::zmq
