#pragma once

#include "configuration_converter.hpp"
#include "parameter_config/config.hpp"
#include "parameter_converter.hpp"
#include "position_converter.hpp"
#include "processed_messages_handler.hpp"
#include "reboot_converter.hpp"

#include <core/logger.hpp>
#include <core/timestamp.hpp>

#include <json/value.h>

#include <boost/utility/string_view.hpp>

#include <cstdint>
#include <string>

namespace orx {

// The generic frame in both directions.
//
// Uplink frame (message code 010E): code (2 bytes), one unread byte, size S (2
// bytes: from the command up to the node address, so S = N - 13 for a frame of N
// bytes), command (2), command data (S - 2), node address (8). Commands 0020
// (position), 000E (parameter report) and 000F (parameter request) are handed on.
//
// Downlink, a request {"mac": 12 hex digits, "message": {...}} is addressed to the
// widened MAC and each known member of "message" becomes one frame, in the order
// reboot, configuration, param_get, param_set, resp_plist.
class generic_request_converter {
public:
    generic_request_converter(libs::core::logger& logger, processed_messages_handler& processed_messages,
                              parameters::config& parameter_config);

    // Uplink. Ignores payloads that are not generic frames; raises "Field \"size\"
    // has a wrong value: (" ... when the size field does not match the frame.
    void convert(libs::core::timestamp time, const boost::string_view& payload) const;

    // Downlink. A "mac" that is not 12 hex digits drops the request with an error
    // line. An exception from one member's converter ends the request. A request or
    // "message" that is neither an object nor null raises the JSON library's error.
    void convert(const Json::Value& request, uint8_t& sequence_number) const;

    // The 16-character node address of a 12-character MAC text.
    static std::string extend_mac(boost::string_view mac);

private:
    libs::core::logger& m_logger;
    reboot_converter m_reboot_converter;
    configuration_converter m_configuration_converter;
    parameter_converter m_parameter_converter;
    position_converter m_position_converter;
};

}  // namespace orx
