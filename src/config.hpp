#pragma once

#include <boost/optional.hpp>

#include <cstddef>
#include <istream>
#include <string>

namespace orx {

// The service configuration, read once at start-up and never changed afterwards.
// Every key of the four required groups must be present with its exact JSON type;
// the "statistics", "security" and "mqtt" groups are optional.
struct config {
    struct system_group {
        std::string pidfile_path;
        std::string debug_port;
        bool local_debug = false;
    };
    struct binary_group {
        std::string input;
        std::string tmp_input;
        std::string output;
        std::string tmp_output;
    };
    struct json_group {
        std::string input;
        std::string output;
        // Documents held for each subscriber of the output ("output_hwm"); 0 sets
        // no limit, none keeps ZeroMQ's 1000.
        boost::optional<int> output_hwm;
    };
    struct parameters_group {
        std::string config_file;
    };
    struct statistics_group {
        boost::optional<std::string> textfile;  // where to write statistics as text, when given
    };
    // Files of the CURVE channels; the first two are required once the group is given.
    struct security_group {
        std::string secret_key_file;      // the service's key pair
        std::string authorized_keys_dir;  // one public key file per admitted client
        // The key of the peers the service connects to; without it those channels stay plain.
        boost::optional<std::string> server_public_key_file;
    };

    // The MQTT link beside the ZeroMQ channels; "broker" is required once the group is given.
    struct mqtt_group {
        std::string broker;  // mqtt://host:port or mqtts://host:port
        std::string client_id = "tarnwick";
        std::string topic_prefix = "tarnwick";
        int qos = 1;               // 0 or 1
        int queue_limit = 100000;  // messages held while the broker cannot be reached
        boost::optional<std::string> username;
        boost::optional<std::string> password_file;
        boost::optional<std::string> ca_file;
        boost::optional<std::string> cert_file;
        boost::optional<std::string> key_file;
    };

    // Throws std::runtime_error for a text that is not JSON and
    // orx::libs::core::exception, listing every missing or mistyped key, otherwise.
    explicit config(std::istream& stream);

    system_group system;
    binary_group binary;
    json_group json;
    parameters_group parameters;
    statistics_group statistics;
    boost::optional<security_group> security;  // plain channels when left out
    boost::optional<mqtt_group> mqtt;          // no MQTT link when left out
};

// The largest configuration file read; real ones hold about a KiB.
constexpr std::size_t max_config_file_size = 1024 * 1024;

// The text of the configuration file at `path`, which must be a regular file of at
// most max_config_file_size bytes; it is read without waiting on it. Raises
// orx::libs::core::exception naming the file otherwise.
std::string read_config_text(const std::string& path);

// The configuration of the file at `path`, read as read_config_text does.
config load_config_file(const std::string& path);

}  // namespace orx
