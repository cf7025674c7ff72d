#pragma once

// The four channels of a load run, taken from the service's configuration file and from options;
// shared by the load tool and the null relay.

#include <json/json.h>

#include <fstream>
#include <stdexcept>
#include <string>

namespace orx::load {

struct endpoints {
    std::string m_binary_input;   // gateway frames in (the service binds a pull socket)
    std::string m_binary_output;  // downlink messages out (pub)
    std::string m_json_input;     // requests in (pull)
    std::string m_json_output;    // documents out (pub)
};

// Ids of the long options that name one endpoint each (after the short option letters).
enum endpoint_option { BINARY_INPUT = 1000, BINARY_OUTPUT, JSON_INPUT, JSON_OUTPUT };

#define TARNWICK_ENDPOINT_OPTIONS                                                         \
    {"binary-input", required_argument, nullptr, ::orx::load::BINARY_INPUT},              \
        {"binary-output", required_argument, nullptr, ::orx::load::BINARY_OUTPUT},        \
        {"json-input", required_argument, nullptr, ::orx::load::JSON_INPUT},              \
        {"json-output", required_argument, nullptr, ::orx::load::JSON_OUTPUT}

// Stores the value of an endpoint option; false for any other option.
inline bool set_endpoint(int option, const char* value, endpoints& chosen) {
    switch (option) {
    case BINARY_INPUT: chosen.m_binary_input = value; return true;
    case BINARY_OUTPUT: chosen.m_binary_output = value; return true;
    case JSON_INPUT: chosen.m_json_input = value; return true;
    case JSON_OUTPUT: chosen.m_json_output = value; return true;
    default: return false;
    }
}

// The endpoints of a service configuration file: the strings at "binary"/"input", "binary"/"output",
// "json"/"input" and "json"/"output". Options given beside the file win over it. Without
// `downlink` the two downlink channels ("json"/"input", "binary"/"output") may be missing and
// stay empty. Throws std::runtime_error naming the first key that is missing or not a string.
inline endpoints resolve_endpoints(const std::string& config_file, const endpoints& options, bool downlink = true) {
    endpoints chosen;
    Json::Value config;
    if (!config_file.empty()) {
        std::ifstream stream(config_file);
        if (!stream)
            throw std::runtime_error("cannot open " + config_file);
        Json::CharReaderBuilder builder;
        std::string errors;
        if (!Json::parseFromStream(builder, stream, &config, &errors))
            throw std::runtime_error(config_file + " is not JSON: " + errors);
        if (!config.isObject())
            throw std::runtime_error(config_file + " is not a JSON object");
    }
    auto take = [&](const std::string& option, const char* group, const char* key, std::string& out, bool needed) {
        const Json::Value& value = config[group];
        if (!option.empty())
            out = option;
        else if (value.isObject() && value[key].isString())
            out = value[key].asString();
        else if (!needed)
            return;
        else if (config_file.empty())
            throw std::runtime_error(std::string("no endpoint for ") + group + "." + key + ": give -c FILE or --" +
                                     group + "-" + key);
        else
            throw std::runtime_error(config_file + " has no string at " + group + "." + key);
    };
    take(options.m_binary_input, "binary", "input", chosen.m_binary_input, true);
    take(options.m_binary_output, "binary", "output", chosen.m_binary_output, downlink);
    take(options.m_json_input, "json", "input", chosen.m_json_input, downlink);
    take(options.m_json_output, "json", "output", chosen.m_json_output, true);
    return chosen;
}

// The address to connect to for an endpoint that the service binds: a wildcard host ("*" or
// 0.0.0.0) of a tcp endpoint becomes 127.0.0.1; anything else stays as it is.
inline std::string connectable(const std::string& endpoint) {
    const std::string tcp = "tcp://";
    if (endpoint.compare(0, tcp.size(), tcp) != 0)
        return endpoint;
    const auto colon = endpoint.rfind(':');
    const std::string host = endpoint.substr(tcp.size(), colon == std::string::npos ? std::string::npos
                                                                                      : colon - tcp.size());
    if (host == "*" || host == "0.0.0.0")
        return tcp + "127.0.0.1" + endpoint.substr(tcp.size() + host.size());
    return endpoint;
}

}  // namespace orx::load
