#pragma once

#include "processed_messages_handler.hpp"

#include <core/logger.hpp>
#include <core/timestamp.hpp>

#include <json/value.h>

#include <boost/utility/string_view.hpp>

#include <array>
#include <string>

namespace orx {

// Decodes the position record of a generic frame (command 0020) and the position
// extension blocks after it into one "pos" document.
//
// Record (byte offsets): x, y, z signed 32-bit at 0, 4, 8; sublocation id at 12;
// figure of merit at 13; bytes 14-16 unused; flags at 17 (bits 0-2 solver mode,
// bit 5 inactive); extension blocks from byte 18 on.
class position_converter {
public:
    position_converter(libs::core::logger& logger, processed_messages_handler& processed_messages);

    // Positions never come as JSON; nothing to do.
    void convert(const Json::Value& request) const;

    // Raises "cmd_data is too short: (" ... for fewer than 36 characters, and the
    // optional-access error for a field that is not hex.
    void convert(libs::core::timestamp time, const boost::string_view& cmd_data, const boost::string_view& mac) const;

    // Walks the extension blocks (type byte, length byte, value) back to back and
    // lets the reader of each known type write into `data`. A truncated block ends
    // the walk; a tail of 4 characters or fewer is never read.
    void parse_PEX_data(boost::string_view blocks, Json::Value& data) const;

    // Readers of one block value each; a value shorter than the reader needs writes nothing.
    void parse_PEX_POS_SOURCE(boost::string_view value, Json::Value& data) const;
    void parse_PEX_VELOCITY(boost::string_view value, Json::Value& data) const;
    void parse_PEX_POS_METRICS(boost::string_view value, Json::Value& data) const;

private:
    std::array<Json::StaticString, 8> m_slvr_modes;
    libs::core::logger& m_logger;
    processed_messages_handler& m_processed_messages;
    // Kept from frame to frame (see reused_document.hpp).
    mutable Json::Value m_document;
    // The extension blocks written for the frame being converted.
    mutable unsigned m_written_blocks = 0;
};

}  // namespace orx
