#include "configuration_converter.hpp"

#include "converter_utils.hpp"
#include "generic_frame.hpp"
#include "node_type.hpp"

#include <core/exception.hpp>

#include <array>
#include <cstdint>
#include <limits>
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

// The member as a whole number that fits its field. A JSON integer or a real
// without a fraction (1000.0) is taken; null, a boolean, a text, a fraction or a
// number the field cannot hold raises, so that a node is never configured with a
// value the request did not state.
template <typename T>
int64_t whole_number(const std::string& key, const Json::Value& value, libs::core::source_location location) {
    constexpr int64_t min = std::numeric_limits<T>::min();
    constexpr int64_t max = std::numeric_limits<T>::max();
    if (!value.isInt64() || value.asInt64() < min || value.asInt64() > max)
        throw libs::core::exception(
            "Field \"" + key + "\" must be a whole number from " + std::to_string(min) + " to " + std::to_string(max),
            location);
    return value.asInt64();
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

    const auto location = CORE_CURRENT_LOCATION;
    const auto field = [&](const std::string& key) { return get_json_field(key, configuration, location); };
    // Read in this order so that the first missing or unusable field is the one reported.
    const auto node_id = whole_number<uint16_t>("node_id", field("node_id"), location);
    const auto pos_freq = whole_number<uint8_t>("pos_freq", field("pos_freq"), location);
    const Json::Value ntype = field("ntype");
    if (!ntype.isString())
        throw libs::core::exception("Field \"ntype\" must be a text", location);
    const auto sublocation_id = whole_number<uint16_t>("sublocation_id", field("sublocation_id"), location);
    const auto x = whole_number<int32_t>("x", field("x"), location);
    const auto y = whole_number<int32_t>("y", field("y"), location);
    const auto z = whole_number<int16_t>("z", field("z"), location);
    const auto sl_z = whole_number<int16_t>("sl_z", field("sl_z"), location);

    // Every value fits its field; signed values are written as two's complement.
    std::string data;
    data.reserve(bytes(19u));
    append_hex(data, static_cast<uint64_t>(node_id), bytes(2u));
    data += configuration_marker;
    append_hex(data, static_cast<uint64_t>(pos_freq), bytes(1u));
    append_hex(data, node_type_code(ntype.asString()), bytes(1u));
    append_hex(data, static_cast<uint64_t>(sublocation_id), bytes(2u));
    append_hex(data, static_cast<uint64_t>(x), bytes(4u));
    append_hex(data, static_cast<uint64_t>(y), bytes(4u));
    append_hex(data, static_cast<uint64_t>(sl_z), bytes(2u));
    append_hex(data, static_cast<uint64_t>(z), bytes(2u));

    send_downlink_frame(m_processed_messages, header, sequence_number, configuration_command, data, address);
}

}  // namespace orx
