#include "config.hpp"

#include <config_parser/config.hpp>
#include <core/exception.hpp>
#include <core/regular_file.hpp>

#include <limits>
#include <sstream>
#include <tuple>

namespace orx {

namespace {

using document = libs::config::config;
template <typename T>
using result = libs::config::result<T>;

// A string that may be left out together with its group; when given, it must be
// a string inside an object, and is reported like a required key otherwise.
result<boost::optional<std::string>> optional_string(const document& doc, const std::string& group,
                                                     const std::string& key) {
    const auto group_value = doc.get_root().get_value(group);
    if (!group_value)
        return boost::optional<std::string>();
    const auto object = group_value->as_object();
    if (object && !object->get_value(key))
        return boost::optional<std::string>();
    const auto found = doc.get_by_path<std::string>({group, key});
    if (!found.ok())
        return libs::config::error_reason{found.reason()};
    return boost::optional<std::string>(found.value());
}

// The whole group or nothing; a group given must hold both required keys.
result<boost::optional<config::security_group>> optional_security(const document& doc) {
    if (!doc.get_root().get_value("security"))
        return boost::optional<config::security_group>();
    const auto keys = doc.get_by_path<std::string>({"security", "secret_key_file"}) +
                      doc.get_by_path<std::string>({"security", "authorized_keys_dir"}) +
                      optional_string(doc, "security", "server_public_key_file");
    if (!keys.ok())
        return libs::config::error_reason{keys.reason()};
    config::security_group group;
    std::tie(group.secret_key_file, group.authorized_keys_dir, group.server_public_key_file) = keys.value();
    return boost::optional<config::security_group>(group);
}

// An integer member of a group within [low, high], or none when left out.
result<boost::optional<int>> optional_integer(const libs::config::dictionary& group, const std::string& group_name,
                                              const std::string& key, int low, int high) {
    const auto member = group.get_value(key);
    if (!member)
        return boost::optional<int>();
    boost::optional<int> number;
    try {
        number = member->as_int();
    } catch (const std::exception&) {
        // Beyond 32 bits: out of range like any other number too large.
    }
    if (!number || *number < low || *number > high)
        return libs::config::error_reason{"Can not find field <int " + std::to_string(low) + ".." +
                                          std::to_string(high) + ">: " + group_name + "." + key};
    return number;
}

// An integer of the "mqtt" group within [low, high], or its default when left out.
result<int> mqtt_integer(const libs::config::dictionary& group, const std::string& key, int fallback, int low,
                         int high) {
    const auto found = optional_integer(group, "mqtt", key, low, high);
    if (!found.ok())
        return libs::config::error_reason{found.reason()};
    return found.value().value_or(fallback);
}

// The "json" group's optional send high-water mark of the output.
result<boost::optional<int>> optional_output_hwm(const document& doc) {
    const auto group = doc.get_root().get_value("json");
    const auto object = group ? group->as_object() : boost::none;
    if (!object)
        return boost::optional<int>();
    return optional_integer(*object, "json", "output_hwm", 0, std::numeric_limits<int>::max());
}

// The whole group or nothing; a group given must name its broker.
result<boost::optional<config::mqtt_group>> optional_mqtt(const document& doc) {
    const auto given = doc.get_root().get_value("mqtt");
    if (!given)
        return boost::optional<config::mqtt_group>();
    config::mqtt_group group;
    const auto text = [&](const std::string& key, const std::string& fallback) {
        const auto found = optional_string(doc, "mqtt", key);
        return found.ok() ? result<std::string>(found.value().value_or(fallback))
                          : result<std::string>(libs::config::error_reason{found.reason()});
    };
    const auto object = given->as_object();
    const auto numbers = object ? mqtt_integer(*object, "qos", group.qos, 0, 1) +
                                      mqtt_integer(*object, "queue_limit", group.queue_limit, 1, 100000000)
                                : result<std::tuple<int, int>>(std::make_tuple(group.qos, group.queue_limit));
    const auto all = doc.get_by_path<std::string>({"mqtt", "broker"}) + text("client_id", group.client_id) +
                     text("topic_prefix", group.topic_prefix) + numbers + optional_string(doc, "mqtt", "username") +
                     optional_string(doc, "mqtt", "password_file") + optional_string(doc, "mqtt", "ca_file") +
                     optional_string(doc, "mqtt", "cert_file") + optional_string(doc, "mqtt", "key_file");
    if (!all.ok())
        return libs::config::error_reason{all.reason()};
    std::tuple<int, int> qos_and_limit;
    std::tie(group.broker, group.client_id, group.topic_prefix, qos_and_limit, group.username, group.password_file,
             group.ca_file, group.cert_file, group.key_file) = all.value();
    std::tie(group.qos, group.queue_limit) = qos_and_limit;
    return boost::optional<config::mqtt_group>(group);
}

}  // namespace

config::config(std::istream& stream) {
    const auto doc = document::create<libs::config::type::json>(stream);

    // Read in this order so that problems are reported in it, one line each.
    const auto all =
        doc->get_by_path<std::string>({"system", "pidfile"}) + doc->get_by_path<std::string>({"system", "debug_port"}) +
        doc->get_by_path<bool>({"system", "local_debug"}) + doc->get_by_path<std::string>({"binary", "input"}) +
        doc->get_by_path<std::string>({"binary", "tmp_input"}) + doc->get_by_path<std::string>({"binary", "output"}) +
        doc->get_by_path<std::string>({"binary", "tmp_output"}) + doc->get_by_path<std::string>({"json", "input"}) +
        doc->get_by_path<std::string>({"json", "output"}) + optional_output_hwm(*doc) +
        doc->get_by_path<std::string>({"parameters", "config_file"}) + optional_string(*doc, "statistics", "textfile") +
        optional_security(*doc) + optional_mqtt(*doc);
    if (!all.ok())
        throw libs::core::exception("Config file is invalid: " + all.reason(), CORE_CURRENT_LOCATION);

    std::tie(system.pidfile_path, system.debug_port, system.local_debug, binary.input, binary.tmp_input, binary.output,
             binary.tmp_output, json.input, json.output, json.output_hwm, parameters.config_file, statistics.textfile,
             security, mqtt) = all.value();
}

std::string read_config_text(const std::string& path) {
    return libs::core::read_small_regular_file("Configuration file", path, max_config_file_size).text;
}

config load_config_file(const std::string& path) {
    std::istringstream text(read_config_text(path));
    return config(text);
}

}  // namespace orx
