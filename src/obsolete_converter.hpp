#pragma once

#include "processed_messages_handler.hpp"

#include <core/logger.hpp>
#include <core/timestamp.hpp>

#include <json/value.h>

#include "mac.hpp"

#include <boost/utility/string_view.hpp>

#include <string>

namespace orx {

// Republishes every uplink message but position reports in raw form: topic
// "obsolete", the payload's hex text with the time stamp and the sender's MAC.
class obsolete_converter {
public:
    obsolete_converter(libs::core::logger& logger, processed_messages_handler& processed_messages);

    void convert(const Json::Value& request) const;
    void convert(libs::core::timestamp ts, const boost::string_view& payload) const;

    // A generic frame carrying a computed position (code 010E, command 0020).
    bool is_pos(const boost::string_view& payload) const;
    // The sender's MAC; where the address sits depends on the length and the code.
    std::string get_mac(const boost::string_view& payload) const;

private:
    libs::core::logger& m_logger;
    processed_messages_handler& m_processed_messages;
    // Kept from frame to frame; every member is written anew for each frame.
    mutable Json::Value m_document;
};

}  // namespace orx
