#include "obsolete_converter.hpp"

#include "mac.hpp"

#include "payload_fields.hpp"

namespace orx {

obsolete_converter::obsolete_converter(libs::core::logger& logger, processed_messages_handler& processed_messages)
    : m_logger(logger), m_processed_messages(processed_messages) {}

void obsolete_converter::convert(const Json::Value& /*request*/) const {}

void obsolete_converter::convert(libs::core::timestamp ts, const boost::string_view& payload) const {
    if (is_pos(payload))
        return;
    set_time(m_document[keys::ts], ts);
    set_text(m_document[keys::mac], get_mac(payload));
    set_text(m_document[keys::hex], payload);
    m_processed_messages.on_message("obsolete", m_document);
}

bool obsolete_converter::is_pos(const boost::string_view& payload) const {
    return payload.size() >= 14 && payload.starts_with("010E") && payload.substr(10, 4) == "0020";
}

std::string obsolete_converter::get_mac(const boost::string_view& payload) const {
    const auto length = payload.size();
    if (length < 16)
        return {};
    const auto code = payload.substr(0, 4);
    if (length >= 22 && code == "0103")
        return shrink_mac(payload.substr(6));
    if (length >= 30 && (code == "010F" || code == "0104"))
        return shrink_mac(payload.substr(14));
    // Otherwise the address is the last 8 whole bytes.
    return shrink_mac(payload.substr(bytes(length / 2 - 8)));
}

}  // namespace orx
