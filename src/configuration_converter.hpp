#pragma once

#include "processed_messages_handler.hpp"

#include <core/logger.hpp>
#include <core/source_location.hpp>

#include <json/value.h>

#include <cstdint>
#include <string>

namespace orx {

// Turns the "configuration" member of a downlink request (node id, report rate,
// node type, sublocation and configured position) into a frame with command 00CF.
class configuration_converter {
public:
    configuration_converter(libs::core::logger& logger, processed_messages_handler& processed_messages);

    // A JSON object is encoded; other JSON types are ignored. A missing field raises
    // "Field \"<key>\" is missing"; a number that is not a whole number its field can
    // hold, or an "ntype" that is not a text, raises too. Either way nothing is sent
    // and the sequence number is unchanged.
    void convert(const Json::Value& configuration, const std::string& header, uint8_t& sequence_number,
                 const std::string& address) const;

    // A copy of the object's member `key`; raises the core exception
    // "Field \"<key>\" is missing" at `location` when there is none.
    static Json::Value get_json_field(const std::string& key, const Json::Value& object,
                                      libs::core::source_location location);

private:
    libs::core::logger& m_logger;
    processed_messages_handler& m_processed_messages;
};

}  // namespace orx
