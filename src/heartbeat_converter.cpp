#include "heartbeat_converter.hpp"

#include "node_type.hpp"
#include "payload_fields.hpp"

namespace orx {

namespace {
const Json::StaticString pos_freq_key("pos_freq");
const Json::StaticString ntype_key("ntype");
const Json::StaticString sublocation_id_key("sublocation_id");
const Json::StaticString x_key("x");
const Json::StaticString y_key("y");
const Json::StaticString sl_z_key("sl_z");
const Json::StaticString z_key("z");
}  // namespace

heartbeat_converter::heartbeat_converter(libs::core::logger& logger, processed_messages_handler& processed_messages)
    : m_logger(logger), m_processed_messages(processed_messages) {}

void heartbeat_converter::convert(const Json::Value& /*request*/) const {}

void heartbeat_converter::convert(libs::core::timestamp ts, const boost::string_view& data) const {
    if (data.size() < bytes(47u) || !data.starts_with("0104"))
        return;

    const auto pos_freq = read_field<uint8_t>(data, 4);
    const auto type = int_to_node_type(read_field<uint8_t>(data, 5));
    // Type codes 0 and 7 are no node; such a frame is not read any further.
    if (!type)
        return;

    json& fields = set_node_event(m_document, ts, "heartbeat", data);
    fields[pos_freq_key] = pos_freq;
    // The names are literals: the document refers to them.
    fields[ntype_key] = Json::StaticString(to_string(*type).data());
    fields[sublocation_id_key] = read_field<uint8_t>(data, 6);
    fields[x_key] = read_field<int32_t>(data, 27);
    fields[y_key] = read_field<int32_t>(data, 31);
    fields[sl_z_key] = read_field<int16_t>(data, 35);
    fields[z_key] = read_field<int16_t>(data, 37);

    m_processed_messages.on_message("event", m_document);
}

}  // namespace orx
