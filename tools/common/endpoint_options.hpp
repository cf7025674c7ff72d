#pragma once

// The long options that name the service's channels one by one, for the tools that
// take them beside (or instead of) the service's configuration file.

#include "common/endpoints.hpp"

#include <getopt.h>

namespace orx::tools {

// Ids of the long options that name one endpoint each (after the short option letters).
enum endpoint_option { BINARY_INPUT = 1000, BINARY_OUTPUT, JSON_INPUT, JSON_OUTPUT };

#define TARNWICK_ENDPOINT_OPTIONS                                                   \
    {"binary-input", required_argument, nullptr, ::orx::tools::BINARY_INPUT},       \
        {"binary-output", required_argument, nullptr, ::orx::tools::BINARY_OUTPUT}, \
        {"json-input", required_argument, nullptr, ::orx::tools::JSON_INPUT}, {     \
        "json-output", required_argument, nullptr, ::orx::tools::JSON_OUTPUT        \
    }

// Stores the value of an endpoint option; false for any other option.
bool set_endpoint(int option, const char* value, endpoints& chosen);

// Raises std::runtime_error naming the first channel left without an endpoint. The
// downlink channels ("json"/"input", "binary"/"output") count only with `downlink`.
void require_endpoints(const endpoints& chosen, bool downlink);

}  // namespace orx::tools
