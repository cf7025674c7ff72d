#include "converter.hpp"

#include "converter_utils.hpp"

#include <algorithm>

namespace orx {

converter::converter(libs::core::logger& logger, processed_messages_handler& processed_messages,
                     [[maybe_unused]] parameters::config& parameters)
    : m_sequence_number(0),
      m_logger(logger),
      m_processed_messages(processed_messages),
      m_gateway_message_parser(logger),
      m_announce_converter(logger, processed_messages),
      m_heartbeat_converter(logger, processed_messages),
      m_obsolete_converter(logger, processed_messages)
#ifdef TARNWICK_HAS_GENERIC_REQUEST_CONVERTER
      ,
      m_generic_request_converter(logger, processed_messages, parameters)
#endif
{
}

void converter::convert(const binary_message& message) const {
    // `parsed` owns the characters the data section points into: it must outlive
    // every converter call below.
    const auto parsed = m_gateway_message_parser.parse(message);
    const auto ts = parsed.m_timestamp;
    const boost::string_view& data = parsed.m_data;
    m_obsolete_converter.convert(ts, data);
    m_announce_converter.convert(ts, data);
    m_heartbeat_converter.convert(ts, data);
#ifdef TARNWICK_HAS_GENERIC_REQUEST_CONVERTER
    m_generic_request_converter.convert(ts, data);
#endif
}

void converter::convert(const Json::Value& request) {
    static constexpr char key[] = "mac";
    const Json::Value* mac = request.find(key, key + sizeof(key) - 1);
    if (mac == nullptr || !mac->isString())
        return;
    const char* begin = nullptr;
    const char* end = nullptr;
    mac->getString(&begin, &end);
    const boost::string_view text(begin, static_cast<std::size_t>(end - begin));
    if (text.size() != 12)
        return;
    // The MAC becomes the node address of the downlink frame: anything but hex
    // digits there would corrupt the frame, so such a request is refused.
    if (!std::all_of(text.begin(), text.end(), [](char c) { return detail::hex_value(c) >= 0; })) {
        m_logger.error("Request dropped, \"mac\" is not 12 hex digits: '%1%'") % text;
        return;
    }
#ifdef TARNWICK_HAS_GENERIC_REQUEST_CONVERTER
    m_generic_request_converter.convert(request, m_sequence_number);
#endif
}

}  // namespace orx
