#pragma once

#include <string>

namespace orx::tools {

// The four channels of the service that the tools talk to.
struct endpoints {
    std::string m_binary_input;   // gateway frames in (the service binds a pull socket)
    std::string m_binary_output;  // downlink messages out (pub)
    std::string m_json_input;     // requests in (pull)
    std::string m_json_output;    // documents out (pub)
};

// The address a client connects to for an endpoint the service binds: a wildcard
// host ("*", "0.0.0.0") of a tcp endpoint becomes 127.0.0.1; every other endpoint
// stays as it is.
std::string connectable(const std::string& bind_endpoint);
endpoints connectable(const endpoints& bound);

// The endpoints the service binds, read from its configuration file as the service
// reads it, with every endpoint named in `chosen` over the file's. Without a file,
// `chosen` as it is. Raises std::runtime_error naming the file when it cannot be
// read (or is not a small regular file) and what reading the configuration raises.
endpoints resolve_endpoints(const std::string& config_file, const endpoints& chosen);

}  // namespace orx::tools
