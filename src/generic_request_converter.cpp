#include "generic_request_converter.hpp"

#include "converter_utils.hpp"
#include "mac.hpp"

#include <core/exception.hpp>
#include <core/json.hpp>

#include <cstring>

namespace orx {

namespace {

constexpr boost::string_view uplink_code = "010E";
const std::string downlink_header = "080E";

constexpr boost::string_view position_command = "0020";
constexpr boost::string_view param_command = "000E";
constexpr boost::string_view param_req_command = "000F";

// Byte offsets and sizes of the uplink frame.
constexpr std::size_t size_offset = 3;
constexpr std::size_t command_offset = 5;
constexpr std::size_t cmd_data_offset = 7;
constexpr std::size_t address_bytes = 8;
// Bytes of the frame that the size field does not count.
constexpr std::size_t uncounted_bytes = 13;

const Json::Value* member(const Json::Value& object, const char* key) {
    return object.find(key, key + std::strlen(key));
}

}  // namespace

generic_request_converter::generic_request_converter(libs::core::logger& logger,
                                                     processed_messages_handler& processed_messages,
                                                     parameters::config& parameter_config)
    : m_logger(logger), m_reboot_converter(logger, processed_messages),
      m_configuration_converter(logger, processed_messages),
      m_parameter_converter(logger, processed_messages, parameter_config),
      m_position_converter(logger, processed_messages) {}

std::string generic_request_converter::extend_mac(boost::string_view mac) { return orx::extend_mac(mac); }

void generic_request_converter::convert(libs::core::timestamp time, const boost::string_view& payload) const {
    if (!payload.starts_with(uplink_code))
        return;

    const auto size_field = payload.substr(std::min<std::size_t>(bytes(size_offset), payload.size()));
    const uint16_t size = parse_number<uint16_t>(size_field).value();
    const std::size_t n = payload.size() / 2;
    if (n < uncounted_bytes || size != n - uncounted_bytes) {
        std::string error = "Field \"size\" has a wrong value: (" + std::to_string(size) + ") ";
        error.append(payload.data(), payload.size());
        throw libs::core::exception(std::move(error), CORE_CURRENT_LOCATION);
    }

    // The command data ends where the node address begins; frames too short to
    // carry a command have none.
    const std::size_t address_offset = n - address_bytes;
    const auto cmd_data = address_offset > cmd_data_offset
                              ? payload.substr(bytes(cmd_data_offset), bytes(address_offset - cmd_data_offset))
                              : boost::string_view();
    const std::string mac = shrink_mac(payload.substr(bytes(address_offset)));
    const boost::string_view mac_view = mac;

    const auto command = payload.substr(bytes(command_offset), bytes(2u));
    if (command == position_command)
        m_position_converter.convert(time, cmd_data, mac_view);
    else if (command == param_req_command)
        m_parameter_converter.convert_param_req(time, cmd_data, mac_view);
    else if (command == param_command)
        m_parameter_converter.convert_param(time, cmd_data, mac_view);
}

void generic_request_converter::convert(const Json::Value& request, uint8_t& sequence_number) const {
    const Json::Value* mac = member(request, "mac");
    const std::string mac_text = mac != nullptr && mac->isString() ? mac->asString() : std::string();
    if (!is_mac_text(mac_text)) {
        m_logger.error("Request dropped, \"mac\" is not 12 hex digits: %1%").location(CORE_CURRENT_LOCATION) %
            (mac == nullptr ? std::string("(none)") : libs::core::json::to_string(*mac));
        return;
    }

    const Json::Value* message = member(request, "message");
    if (message == nullptr)
        return;
    const std::string address = orx::extend_mac(mac_text);

    if (const auto* reboot = member(*message, "reboot"))
        m_reboot_converter.convert(*reboot, downlink_header, sequence_number, address);
    if (const auto* configuration = member(*message, "configuration"))
        m_configuration_converter.convert(*configuration, downlink_header, sequence_number, address);
    if (const auto* get = member(*message, "param_get"))
        m_parameter_converter.convert_get(*get, downlink_header, sequence_number, address);
    if (const auto* set = member(*message, "param_set"))
        m_parameter_converter.convert_set(*set, downlink_header, sequence_number, address);
    if (const auto* resp_plist = member(*message, "resp_plist"))
        m_parameter_converter.convert_resp_plist(*resp_plist, downlink_header, sequence_number, address);
}

}  // namespace orx
