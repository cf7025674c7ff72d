#include "generic_frame.hpp"

#include "reused_document.hpp"

namespace orx {

namespace {
const Json::StaticString ts_key("ts");
const Json::StaticString mac_key("mac");
}  // namespace

void send_downlink_frame(processed_messages_handler& handler, const std::string& header, uint8_t& sequence_number,
                         uint16_t command, boost::string_view body, const std::string& address) {
    const std::size_t body_bytes = body.size() / 2;
    if (body_bytes > max_downlink_body_bytes)
        throw libs::core::exception("Message body is too long: (" + std::to_string(body_bytes) + " bytes, at most " +
                                        std::to_string(max_downlink_body_bytes) + ")",
                                    CORE_CURRENT_LOCATION);

    std::string frame;
    frame.reserve(header.size() + bytes(7u) + body.size() + address.size());
    frame += header;
    append_hex(frame, sequence_number, bytes(1u));
    append_hex(frame, body_bytes + 2, bytes(2u));
    append_hex(frame, command, bytes(2u));
    frame.append(body.data(), body.size());
    frame += address;

    ++sequence_number;
    handler.on_message(binary_message{frame});
}

libs::core::exception cmd_data_too_short(boost::string_view cmd_data, libs::core::source_location location) {
    std::string error = "cmd_data is too short: (" + std::to_string(cmd_data.size() / 2) + ") ";
    error.append(cmd_data.data(), cmd_data.size());
    return libs::core::exception(std::move(error), location);
}

void set_uplink_document(json& document, libs::core::timestamp time, boost::string_view mac) {
    set_time(document[ts_key], time);
    set_text(document[mac_key], mac);
}

}  // namespace orx
