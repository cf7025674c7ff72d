#include "converter.hpp"

namespace orx {

converter::converter(libs::core::logger& logger, processed_messages_handler& processed_messages,
                     parameters::config& parameters, uint8_t sequence_number)
    : m_sequence_number(sequence_number), m_logger(logger), m_processed_messages(processed_messages),
      m_gateway_message_parser(logger), m_announce_converter(logger, processed_messages),
      m_heartbeat_converter(logger, processed_messages), m_obsolete_converter(logger, processed_messages),
      m_generic_request_converter(logger, processed_messages, parameters) {}

void converter::convert(const binary_message& message) const {
    // `parsed` owns the characters the data section points into: it must outlive
    // every converter call below. Its buffer serves the next frame again.
    auto parsed = m_gateway_message_parser.parse(message, std::move(m_parse_buffer));
    const auto ts = parsed.m_timestamp;
    const boost::string_view& data = parsed.m_data;
    m_obsolete_converter.convert(ts, data);
    m_announce_converter.convert(ts, data);
    m_heartbeat_converter.convert(ts, data);
    m_generic_request_converter.convert(ts, data);
    m_parse_buffer = std::move(parsed.m_validated_message);
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
    // The generic request converter refuses a MAC text that is not hex digits.
    m_generic_request_converter.convert(request, m_sequence_number);
}

}  // namespace orx
