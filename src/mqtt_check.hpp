#pragma once

#include "config.hpp"

#include <boost/optional.hpp>

#include <string>
#include <vector>

namespace orx {

// Where the "mqtt" group's "broker" points: mqtt://host[:port] (1883 by default)
// or mqtts://host[:port] (TLS, 8883 by default); an IPv6 host is written in brackets.
struct broker_address {
    bool tls = false;
    std::string host;
    int port = 0;
};

// The address of a broker URL; nothing for a text of another form.
boost::optional<broker_address> parse_broker_url(const std::string& url);

// Every problem of the group, one line each, naming its key: a broker URL of
// another form, a client id or topic prefix MQTT refuses, a file that cannot be
// read, a password or key file open to group or others, a certificate without
// its key (or the reverse), TLS files for a plain broker, a password without a
// user name.
std::vector<std::string> mqtt_problems(const config::mqtt_group& group);

// The first line of the password file, without its line end. Raises
// orx::libs::core::exception naming the file when it cannot be read, is no
// regular file or is open to group or others.
std::string read_mqtt_password(const std::string& path);

}  // namespace orx
