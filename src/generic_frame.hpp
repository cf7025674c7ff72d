#pragma once

#include "converter_utils.hpp"
#include "processed_messages_handler.hpp"

#include <core/exception.hpp>
#include <core/timestamp.hpp>

#include <boost/utility/string_view.hpp>

#include <cstddef>
#include <cstdint>
#include <string>

namespace orx {

// Pieces of the generic frame shared by the converters that read or build it.
//
// Downlink frame: header (2 bytes), sequence number (1), size S (2: command plus
// command data), command (2), command data (S - 2), node address (8).

// The size field is 16 bits and also counts the 2-byte command.
constexpr std::size_t max_downlink_body_bytes = 0xFFFF - 2;

// Builds one downlink frame with the current sequence number, hands it to the
// handler and then advances the number (255 wraps to 0). A body longer than
// max_downlink_body_bytes raises the core exception; nothing is sent and the
// sequence number is unchanged.
void send_downlink_frame(processed_messages_handler& handler, const std::string& header, uint8_t& sequence_number,
                         uint16_t command, boost::string_view body, const std::string& address);

// The failure for command data too short to hold its record:
// "cmd_data is too short: (" + length in bytes + ") " + the command data.
libs::core::exception cmd_data_too_short(boost::string_view cmd_data, libs::core::source_location location);

// Sets the members every uplink document of the generic frame starts with, "ts"
// and "mac", in a document its converter keeps (see reused_document.hpp).
void set_uplink_document(json& document, libs::core::timestamp time, boost::string_view mac);

}  // namespace orx
