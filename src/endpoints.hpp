#pragma once

#include <string>

namespace orx::tools {

// The address a client connects to for an endpoint the service binds: a wildcard
// host ("*", "0.0.0.0") becomes 127.0.0.1; every other endpoint stays as it is.
std::string connectable(const std::string& bind_endpoint);

}  // namespace orx::tools
