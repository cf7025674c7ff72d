#pragma once

#include "processed_messages_handler.hpp"

#include <core/logger.hpp>
#include <core/timestamp.hpp>

#include <json/value.h>

#include <boost/utility/string_view.hpp>

#include <string>

namespace orx {

// The 12-character MAC text of an 8-byte node address: the address text without
// its characters 6 to 9 (0011223344556677 gives 001122556677), copied unchanged.
// The view must hold at least 10 characters, else std::out_of_range is raised.
std::string shrink_mac(boost::string_view address);

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
};

}  // namespace orx
