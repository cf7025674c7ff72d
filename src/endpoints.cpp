#include "endpoints.hpp"

#include "config.hpp"

#include <fstream>

namespace orx::tools {

std::string connectable(const std::string& bind_endpoint) {
    const std::string tcp = "tcp://";
    if (bind_endpoint.compare(0, tcp.size(), tcp) != 0)
        return bind_endpoint;
    const auto host_end = bind_endpoint.rfind(':');
    if (host_end == std::string::npos || host_end < tcp.size())
        return bind_endpoint;
    const auto host = bind_endpoint.substr(tcp.size(), host_end - tcp.size());
    if (host == "*" || host == "0.0.0.0")
        return tcp + "127.0.0.1" + bind_endpoint.substr(host_end);
    return bind_endpoint;
}

service_endpoints read_service_endpoints(const std::string& config_file) {
    std::ifstream stream(config_file);
    const orx::config configuration(stream);
    return {connectable(configuration.binary.input), connectable(configuration.binary.output),
            connectable(configuration.json.input), connectable(configuration.json.output)};
}

}  // namespace orx::tools
