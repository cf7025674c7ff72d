#pragma once

// The CURVE keys a tool offers when the service runs its channels as CURVE servers: the
// tool's own key pair (a secret key file) and the service's public key.

#include <core/zmq/curve_keys.hpp>

#include <boost/optional.hpp>

#include <getopt.h>

#include <string>

namespace orx::tools {

// Ids of the long options that name the key files.
enum key_option { KEY = 1050, SERVER_KEY };

#define TARNWICK_KEY_OPTIONS                                               \
    {"key", required_argument, nullptr, ::orx::tools::KEY}, {              \
        "server-key", required_argument, nullptr, ::orx::tools::SERVER_KEY \
    }

struct key_files {
    std::string m_key;         // the tool's secret key file
    std::string m_server_key;  // the service's public key file
};

// Stores the value of a key option; false for any other option. Raises option_error
// for an empty value.
bool set_key_file(int option, const char* value, key_files& files);

struct client_keys {
    libs::core::zmq::curve_key_pair m_own;
    libs::core::zmq::curve_key m_server;
};

// The keys of the named files; none when neither is named. Raises option_error when only
// one is named and std::runtime_error naming the file when one cannot be read as a key file.
boost::optional<client_keys> read_client_keys(const key_files& files);

}  // namespace orx::tools
