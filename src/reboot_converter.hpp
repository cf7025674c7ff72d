#pragma once

#include "processed_messages_handler.hpp"

#include <core/logger.hpp>

#include <json/value.h>

#include <cstdint>
#include <string>

namespace orx {

// Turns the "reboot" member of a downlink request into the fixed restart frame
// (command 0001, command data 0002FFFF).
class reboot_converter {
public:
    reboot_converter(libs::core::logger& logger, processed_messages_handler& processed_messages);

    // Any JSON object asks for a restart (its members are not read); other JSON
    // types are ignored and consume no sequence number.
    void convert(const Json::Value& reboot, const std::string& header, uint8_t& sequence_number,
                 const std::string& address) const;

private:
    libs::core::logger& m_logger;
    processed_messages_handler& m_processed_messages;
};

}  // namespace orx
