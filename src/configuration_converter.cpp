#include "configuration_converter.hpp"

#include "converter_utils.hpp"
#include "generic_frame.hpp"
#include "node_type.hpp"

#include <core/exception.hpp>

#include <array>
#include <locale>

namespace orx {

namespace {

constexpr uint16_t configuration_command = 0x00CF;
constexpr const char* configuration_marker = "1E";

// Code of a node type text the service does not know.
constexpr unsigned conf_pending_code = 3;

// The code the heartbeat carries for the node type named by the text (any case):
// the enumerator's value + 1.
unsigned node_type_code(std::string text) {
    const std::locale locale;
    for (auto& c : text)
        c = std::toupper(c, locale);
    for (int32_t i = 0; i < static_cast<int32_t>(node_type::_count); ++i)
        if (text == to_string(static_cast<node_type>(i)))
            return static_cast<unsigned>(i + 1);
    return conf_pending_code;
}

}  // namespace

configuration_converter::configuration_converter(libs::core::logger& logger,
                                                 processed_messages_handler& processed_messages)
    : m_logger(logger), m_processed_messages(processed_messages) {}

Json::Value configuration_converter::get_json_field(const std::string& key, const Json::Value& object,
                                                    libs::core::source_location location) {
    const Json::Value* member = object.find(key.data(), key.data() + key.size());
    if (member == nullptr)
        throw libs::core::exception("Field \"" + key + "\" is missing", location);
    return *member;
}

void configuration_converter::convert(const Json::Value& configuration, const std::string& header,
                                      uint8_t& sequence_number, const std::string& address) const {
    if (!configuration.isObject())
        return;

    const auto field = [&configuration](const std::string& key) {
        return get_json_field(key, configuration, CORE_CURRENT_LOCATION);
    };
    // Read in this order so that the first missing field is the one reported.
    const Json::UInt node_id = field("node_id").asUInt();
    const Json::UInt pos_freq = field("pos_freq").asUInt();
    const std::string ntype = field("ntype").asString();
    const Json::UInt sublocation_id = field("sublocation_id").asUInt();
    const Json::Int64 x = field("x").asInt64();
    const Json::Int64 y = field("y").asInt64();
    const Json::Int z = field("z").asInt();
    const Json::Int sl_z = field("sl_z").asInt();

    // Every field is cut to its width; signed values keep their two's complement bits.
    std::string data;
    data.reserve(bytes(19u));
    append_hex(data, node_id, bytes(2u));
    data += configuration_marker;
    append_hex(data, pos_freq, bytes(1u));
    append_hex(data, node_type_code(ntype), bytes(1u));
    append_hex(data, sublocation_id, bytes(2u));
    append_hex(data, static_cast<uint64_t>(x), bytes(4u));
    append_hex(data, static_cast<uint64_t>(y), bytes(4u));
    append_hex(data, static_cast<uint64_t>(static_cast<int64_t>(sl_z)), bytes(2u));
    append_hex(data, static_cast<uint64_t>(static_cast<int64_t>(z)), bytes(2u));

    send_downlink_frame(m_processed_messages, header, sequence_number, configuration_command, data, address);
}

}  // namespace orx
