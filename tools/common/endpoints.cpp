#include "common/endpoints.hpp"

#include "config.hpp"

#include <core/exception.hpp>

#include <sstream>
#include <stdexcept>

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

endpoints connectable(const endpoints& bound) {
    return {connectable(bound.m_binary_input), connectable(bound.m_binary_output), connectable(bound.m_json_input),
            connectable(bound.m_json_output)};
}

endpoints resolve_endpoints(const std::string& config_file, const endpoints& chosen) {
    if (config_file.empty())
        return chosen;
    std::string text;
    try {
        text = read_config_text(config_file);
    } catch (const libs::core::exception& e) {
        // Its text names the file; the place it was raised means nothing to the user.
        throw std::runtime_error(e.error());
    }
    std::istringstream stream(text);
    const orx::config configuration(stream);
    const auto either = [](const std::string& option, const std::string& file) {
        return option.empty() ? file : option;
    };
    return {either(chosen.m_binary_input, configuration.binary.input),
            either(chosen.m_binary_output, configuration.binary.output),
            either(chosen.m_json_input, configuration.json.input),
            either(chosen.m_json_output, configuration.json.output)};
}

}  // namespace orx::tools
