#pragma once

#include "announce_converter.hpp"
#include "binary_message.hpp"
#include "gateway_message_parser.hpp"
#include "generic_request_converter.hpp"
#include "heartbeat_converter.hpp"
#include "obsolete_converter.hpp"
#include "parameter_config/config.hpp"
#include "processed_messages_handler.hpp"

#include <core/logger.hpp>

#include <json/value.h>

#include <cstdint>

namespace orx {

// The single entry point of all conversions. Every gateway message is parsed once
// and offered to every uplink converter in a fixed order; every JSON request goes
// to the generic request converter. Output leaves through the handler.
class converter {
public:
    // `sequence_number` is the first downlink message's: a converter that replaces
    // another goes on from the number the other would have sent next.
    converter(libs::core::logger& logger, processed_messages_handler& processed_messages,
              parameters::config& parameters, uint8_t sequence_number = 0);

    // Uplink: one message may yield several documents. A converter that raises
    // ends the message; the converters after it do not see it.
    void convert(const binary_message& message) const;
    // Downlink: needs a "mac" of exactly 12 characters; advances the sequence number.
    void convert(const Json::Value& request);

    uint8_t next_sequence_number() const { return m_sequence_number; }

private:
    uint8_t m_sequence_number;
    libs::core::logger& m_logger;
    processed_messages_handler& m_processed_messages;
    gateway_message_parser m_gateway_message_parser;
    // The validated text of the last frame, its storage reused by the next.
    mutable std::unique_ptr<std::string> m_parse_buffer;
    announce_converter m_announce_converter;
    heartbeat_converter m_heartbeat_converter;
    obsolete_converter m_obsolete_converter;
    generic_request_converter m_generic_request_converter;
};

}  // namespace orx
