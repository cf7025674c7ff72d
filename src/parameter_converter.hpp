#pragma once

#include "parameter_config/config.hpp"
#include "processed_messages_handler.hpp"

#include <core/logger.hpp>
#include <core/source_location.hpp>
#include <core/timestamp.hpp>

#include <json/value.h>

#include <boost/optional.hpp>
#include <boost/utility/string_view.hpp>

#include <cstdint>
#include <string>

namespace orx {

// Carries device parameters in both directions, translating numbers and names
// through the parameter registry and values through its descriptors.
//
// A parameter record is: number (1 byte), value length L (1 byte), value (L bytes).
// Uplink, command 000E reports records ("param" document) and command 000F asks
// for a list of parameters ("param_req" document, 2-byte entries whose first byte
// is the number). Downlink, "param_get", "param_set" (command 000E) and
// "resp_plist" (command 000F) requests become frames whose body is records.
//
// A parameter the record cannot carry (number above 255, value longer than 255
// bytes) is left out of a downlink body with a warning; a descriptor that raises
// while converting one parameter leaves that parameter out with an error line, and
// the rest of the report or request is still converted.
class parameter_converter {
public:
    parameter_converter(libs::core::logger& logger, processed_messages_handler& processed_messages,
                        parameters::config& parameter_config);

    // Uplink, command 000E: a "param" document (topic "param") with the decoded
    // values; nothing when no value was decoded.
    void convert_param(libs::core::timestamp time, const boost::string_view& cmd_data,
                       const boost::string_view& mac) const;
    // Uplink, command 000F: a "param_req" document (topic "param") with the names
    // of the known parameters asked for, even when there are none.
    void convert_param_req(libs::core::timestamp time, const boost::string_view& cmd_data,
                           const boost::string_view& mac) const;

    // Downlink: an array of names for get, an object of name to value for set and
    // resp_plist (encoded in name order). Requests of another JSON type are ignored.
    void convert_get(const Json::Value& names, const std::string& header, uint8_t& sequence_number,
                     const std::string& address) const;
    void convert_set(const Json::Value& values, const std::string& header, uint8_t& sequence_number,
                     const std::string& address) const;
    void convert_resp_plist(const Json::Value& values, const std::string& header, uint8_t& sequence_number,
                            const std::string& address) const;

    // One downlink frame with command 000E (get, set) or 000F (reply to a list request).
    void send_param_message(const std::string& body, const std::string& header, uint8_t& sequence_number,
                            const std::string& address) const;
    void send_resp_plist_message(const std::string& body, const std::string& header, uint8_t& sequence_number,
                                 const std::string& address) const;

protected:
    // Appends the record of the parameter `name` with `value` to `body`, or leaves
    // it out with a log line at `location`.
    void append_record(std::string& body, const parameters::descriptor& descriptor, const std::string& name,
                       const Json::Value& value, libs::core::source_location location) const;

private:
    // The JSON value of one reported parameter; nothing when the descriptor gives
    // none or raises (the failure is logged at `location`).
    boost::optional<Json::Value> decode_value(const parameters::descriptor& descriptor, boost::string_view hex,
                                              libs::core::source_location location) const;
    // The body of a set or resp_plist request: one record per known, encodable member.
    std::string encode_records(const Json::Value& values, libs::core::source_location location) const;
    // The record number of a descriptor, or nothing (logged) when it does not fit one byte.
    boost::optional<uint8_t> record_number(const parameters::descriptor& descriptor, const std::string& name,
                                           libs::core::source_location location) const;

    libs::core::logger& m_logger;
    processed_messages_handler& m_processed_messages;
    parameters::config& m_parameter_config;
    // Kept from frame to frame (see reused_document.hpp).
    mutable Json::Value m_document;
};

}  // namespace orx
