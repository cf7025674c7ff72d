#include "heartbeat_converter.hpp"

#include "node_type.hpp"
#include "payload_fields.hpp"

namespace orx {

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

    json fields;
    fields["pos_freq"] = pos_freq;
    fields["ntype"] = std::string(to_string(*type));
    fields["sublocation_id"] = read_field<uint8_t>(data, 6);
    fields["x"] = read_field<int32_t>(data, 27);
    fields["y"] = read_field<int32_t>(data, 31);
    fields["sl_z"] = read_field<int16_t>(data, 35);
    fields["z"] = read_field<int16_t>(data, 37);

    m_processed_messages.on_message("event", node_event(ts, "heartbeat", data, std::move(fields)));
}

}  // namespace orx
