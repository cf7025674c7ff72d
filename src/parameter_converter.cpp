#include "parameter_converter.hpp"

#include "converter_utils.hpp"
#include "generic_frame.hpp"

#include <core/exception.hpp>
#include <core/json.hpp>

#include <limits>

namespace orx {

namespace {

constexpr uint16_t param_command = 0x000E;
constexpr uint16_t resp_plist_command = 0x000F;

constexpr std::size_t record_header_bytes = 2;
constexpr std::size_t param_req_entry_size = bytes(2u);
// Number and length are one byte each in a record.
constexpr uint32_t max_record_field = std::numeric_limits<uint8_t>::max();

const Json::StaticString type_key("type");
const Json::StaticString data_key("data");
const Json::StaticString req_plist_key("req_plist");

// A parameter reported with zero length: an empty list or "not supported".
Json::Value zero_size_value(const parameters::descriptor& descriptor) {
    if (descriptor.get_zero_size_interpretation() == parameters::zero_size_interpretation::EMPTY_ARRAY)
        return Json::Value(Json::arrayValue);
    return Json::Value(Json::nullValue);
}

std::string jname_of(const parameters::descriptor& descriptor) {
    const auto jname = descriptor.get_jname();
    return std::string(jname.data(), jname.size());
}

// `type` must be a literal: the document refers to it without copying.
const json& set_document(json& document, libs::core::timestamp time, boost::string_view mac, const char* type,
                         json data) {
    set_uplink_document(document, time, mac);
    document[type_key] = Json::StaticString(type);
    document[data_key] = std::move(data);
    return document;
}

}  // namespace

parameter_converter::parameter_converter(libs::core::logger& logger, processed_messages_handler& processed_messages,
                                         parameters::config& parameter_config)
    : m_logger(logger), m_processed_messages(processed_messages), m_parameter_config(parameter_config) {}

void parameter_converter::convert_param(libs::core::timestamp time, const boost::string_view& cmd_data,
                                        const boost::string_view& mac) const {
    if (cmd_data.size() <= 3)
        throw cmd_data_too_short(cmd_data, CORE_CURRENT_LOCATION);

    const std::size_t n = cmd_data.size() / 2;
    json data(Json::objectValue);
    for (std::size_t p = 0; p < n;) {
        const uint8_t num = parse_number<uint8_t>(cmd_data.substr(bytes(p))).value();
        if (p + 1 >= n)
            break;
        const uint8_t length = parse_number<uint8_t>(cmd_data.substr(bytes(p + 1))).value();

        const auto descriptor = m_parameter_config.get_descriptor(uint32_t{num});
        if (!descriptor) {
            m_logger.debug("Unknown parameter: %1%").location(CORE_CURRENT_LOCATION) % unsigned{num};
            p += record_header_bytes + length;
            continue;
        }
        if (length == 0) {
            data[jname_of(*descriptor)] = zero_size_value(*descriptor);
            p += record_header_bytes;
            continue;
        }
        if (p + record_header_bytes >= n || p + record_header_bytes + length > n)
            break;  // a truncated record: it and everything after it are ignored

        auto value = decode_value(*descriptor, cmd_data.substr(bytes(p + record_header_bytes), bytes(length)),
                                  CORE_CURRENT_LOCATION);
        p += record_header_bytes + length;
        if (value)
            data[jname_of(*descriptor)] = std::move(*value);
    }

    if (data.empty())
        return;
    m_processed_messages.on_message("param", set_document(m_document, time, mac, "param", std::move(data)));
}

void parameter_converter::convert_param_req(libs::core::timestamp time, const boost::string_view& cmd_data,
                                            const boost::string_view& mac) const {
    if (cmd_data.size() <= 3)
        throw cmd_data_too_short(cmd_data, CORE_CURRENT_LOCATION);

    json names(Json::arrayValue);
    const std::size_t entries = cmd_data.size() / param_req_entry_size;
    for (std::size_t i = 0; i < entries; ++i) {
        const uint8_t num = parse_number<uint8_t>(cmd_data.substr(i * param_req_entry_size)).value();
        if (const auto descriptor = m_parameter_config.get_descriptor(uint32_t{num}))
            names.append(jname_of(*descriptor));
        else
            m_logger.debug("Unknown parameter: %1%").location(CORE_CURRENT_LOCATION) % unsigned{num};
    }

    json data(Json::objectValue);
    data[req_plist_key] = std::move(names);
    m_processed_messages.on_message("param", set_document(m_document, time, mac, "param_req", std::move(data)));
}

void parameter_converter::convert_get(const Json::Value& names, const std::string& header, uint8_t& sequence_number,
                                      const std::string& address) const {
    if (!names.isArray())
        return;

    std::string body;
    body.reserve(bytes(record_header_bytes) * names.size());
    for (const auto& element : names) {
        const std::string name = element.asString();
        const auto descriptor = m_parameter_config.get_descriptor(name);
        if (!descriptor) {
            m_logger.debug("Unknown parameter: %1%").location(CORE_CURRENT_LOCATION) % name;
            continue;
        }
        if (const auto num = record_number(*descriptor, name, CORE_CURRENT_LOCATION)) {
            append_hex(body, *num, bytes(1u));
            body += "00";
        }
    }
    send_param_message(body, header, sequence_number, address);
}

void parameter_converter::convert_set(const Json::Value& values, const std::string& header, uint8_t& sequence_number,
                                      const std::string& address) const {
    if (!values.isObject())
        return;
    send_param_message(encode_records(values, CORE_CURRENT_LOCATION), header, sequence_number, address);
}

void parameter_converter::convert_resp_plist(const Json::Value& values, const std::string& header,
                                             uint8_t& sequence_number, const std::string& address) const {
    if (!values.isObject())
        return;
    send_resp_plist_message(encode_records(values, CORE_CURRENT_LOCATION), header, sequence_number, address);
}

void parameter_converter::send_param_message(const std::string& body, const std::string& header,
                                             uint8_t& sequence_number, const std::string& address) const {
    send_downlink_frame(m_processed_messages, header, sequence_number, param_command, body, address);
}

void parameter_converter::send_resp_plist_message(const std::string& body, const std::string& header,
                                                  uint8_t& sequence_number, const std::string& address) const {
    send_downlink_frame(m_processed_messages, header, sequence_number, resp_plist_command, body, address);
}

std::string parameter_converter::encode_records(const Json::Value& values, libs::core::source_location location) const {
    std::string body;
    // Object members come in ascending byte order of their names.
    for (auto member = values.begin(); member != values.end(); ++member) {
        const std::string name = member.name();
        const auto descriptor = m_parameter_config.get_descriptor(name);
        if (!descriptor) {
            m_logger.debug("Unknown parameter: %1%").location(location) % name;
            continue;
        }
        append_record(body, *descriptor, name, *member, location);
    }
    return body;
}

boost::optional<Json::Value> parameter_converter::decode_value(const parameters::descriptor& descriptor,
                                                               boost::string_view hex,
                                                               libs::core::source_location location) const {
    try {
        return descriptor.convert_bin_to_json(hex);
    } catch (const std::exception&) {
        m_logger.error("Parameter %1% left out, its value could not be converted: %2%").location(location) %
            descriptor.get_jname() % libs::core::exception_to_string();
        return boost::none;
    }
}

void parameter_converter::append_record(std::string& body, const parameters::descriptor& descriptor,
                                        const std::string& name, const Json::Value& value,
                                        libs::core::source_location location) const {
    const auto num = record_number(descriptor, name, location);
    if (!num)
        return;

    boost::optional<std::string> hex;
    try {
        hex = descriptor.convert_json_to_bin(value);
    } catch (const std::exception&) {
        m_logger.error("Parameter %1% left out, its value could not be converted: %2%").location(location) % name %
            libs::core::exception_to_string();
        return;
    }
    if (!hex) {
        m_logger.debug("Invalid parameter %1% body: %2%").location(location) % name %
            libs::core::json::to_string(value);
        return;
    }
    const std::size_t length = hex->size() / 2;
    if (length > max_record_field) {
        m_logger.warning("Parameter %1% left out, its value of %2% bytes does not fit a record").location(location) %
            name % length;
        return;
    }
    append_hex(body, *num, bytes(1u));
    append_hex(body, length, bytes(1u));
    body += *hex;
}

boost::optional<uint8_t> parameter_converter::record_number(const parameters::descriptor& descriptor,
                                                            const std::string& name,
                                                            libs::core::source_location location) const {
    const uint32_t num = descriptor.get_num().value();
    if (num > max_record_field) {
        m_logger.warning("Parameter %1% left out, its number %2% does not fit a record").location(location) % name %
            num;
        return boost::none;
    }
    return static_cast<uint8_t>(num);
}

}  // namespace orx
