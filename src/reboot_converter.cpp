#include "reboot_converter.hpp"

#include "generic_frame.hpp"

namespace orx {

namespace {
constexpr uint16_t reboot_command = 0x0001;
constexpr const char* reboot_command_data = "0002FFFF";
}  // namespace

reboot_converter::reboot_converter(libs::core::logger& logger, processed_messages_handler& processed_messages)
    : m_logger(logger), m_processed_messages(processed_messages) {}

void reboot_converter::convert(const Json::Value& reboot, const std::string& header, uint8_t& sequence_number,
                               const std::string& address) const {
    if (!reboot.isObject())
        return;
    send_downlink_frame(m_processed_messages, header, sequence_number, reboot_command, reboot_command_data, address);
}

}  // namespace orx
