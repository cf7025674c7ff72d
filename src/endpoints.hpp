#pragma once

#include <string>

namespace orx::tools {

// The address a client connects to for an endpoint the service binds: a wildcard
// host ("*", "0.0.0.0") becomes 127.0.0.1; every other endpoint stays as it is.
std::string connectable(const std::string& bind_endpoint);

// The channels' endpoints as a client of the service reaches them, read from the
// service's configuration file. Raises what reading the configuration raises.
struct service_endpoints {
    std::string binary_input;
    std::string binary_output;
    std::string json_input;
    std::string json_output;
};
service_endpoints read_service_endpoints(const std::string& config_file);

}  // namespace orx::tools
