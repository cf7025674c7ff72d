#pragma once

#include "processed_messages_handler.hpp"

#include <core/logger.hpp>
#include <core/timestamp.hpp>

#include <json/value.h>

#include <boost/utility/string_view.hpp>

namespace orx {

// Announce frames (code 010F): a node's sublocation and configured position,
// published as an "announce" document under the topic "event".
class announce_converter {
public:
    announce_converter(libs::core::logger& logger, processed_messages_handler& processed_messages);

    void convert(const Json::Value& request) const;
    void convert(libs::core::timestamp ts, const boost::string_view& payload) const;

private:
    libs::core::logger& m_logger;
    processed_messages_handler& m_processed_messages;
    // Kept from frame to frame; every member is written anew for each frame.
    mutable Json::Value m_document;
};

}  // namespace orx
