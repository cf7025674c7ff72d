#include "announce_converter.hpp"

#include "payload_fields.hpp"

namespace orx {

namespace {
const Json::StaticString sublocation_id_key("sublocation_id");
const Json::StaticString x_key("x");
const Json::StaticString y_key("y");
const Json::StaticString z_key("z");
}  // namespace

announce_converter::announce_converter(libs::core::logger& logger, processed_messages_handler& processed_messages)
    : m_logger(logger), m_processed_messages(processed_messages) {}

void announce_converter::convert(const Json::Value& /*request*/) const {}

void announce_converter::convert(libs::core::timestamp ts, const boost::string_view& payload) const {
    if (payload.size() < bytes(47u) || !payload.starts_with("010F"))
        return;

    json& data = set_node_event(m_document, ts, "announce", payload);
    data[sublocation_id_key] = read_field<uint8_t>(payload, 6);
    data[x_key] = read_field<int32_t>(payload, 27);
    data[y_key] = read_field<int32_t>(payload, 31);
    data[z_key] = read_field<int16_t>(payload, 37);

    m_processed_messages.on_message("event", m_document);
}

}  // namespace orx
