#include "common/endpoint_options.hpp"

#include <stdexcept>

namespace orx::tools {

bool set_endpoint(int option, const char* value, endpoints& chosen) {
    switch (option) {
    case BINARY_INPUT: chosen.m_binary_input = value; return true;
    case BINARY_OUTPUT: chosen.m_binary_output = value; return true;
    case JSON_INPUT: chosen.m_json_input = value; return true;
    case JSON_OUTPUT: chosen.m_json_output = value; return true;
    default: return false;
    }
}

void require_endpoints(const endpoints& chosen, bool downlink) {
    const auto require = [](const std::string& endpoint, const std::string& group, const std::string& key) {
        if (endpoint.empty())
            throw std::runtime_error("no endpoint for " + group + "." + key + ": give -c FILE or --" + group + "-" +
                                     key);
    };
    require(chosen.m_binary_input, "binary", "input");
    if (downlink) {
        require(chosen.m_binary_output, "binary", "output");
        require(chosen.m_json_input, "json", "input");
    }
    require(chosen.m_json_output, "json", "output");
}

}  // namespace orx::tools
