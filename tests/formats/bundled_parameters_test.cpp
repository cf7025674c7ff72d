#include "support/capturing_system_log.hpp"

#include "parameter_config/config.hpp"

#include <core/json.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>

namespace {

const orx::parameters::config& registry() {
    static orx::libs::core::logger logger("tarnwick", "test", std::make_shared<orx::test::capturing_system_log>());
    static std::ifstream file(std::string(TARNWICK_SOURCE_DIR) + "/etc/parameters.json");
    static const orx::parameters::config loaded(logger, file);
    return loaded;
}

// The bundled parameter file loads, and a canonical value of each of its
// parameters decodes to JSON that encodes back to the same hex text.
class bundled_parameters : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(bundled_parameters, round_trip) {
    const auto& [jname, hex] = GetParam();
    const auto descriptor = registry().get_descriptor(std::string(jname));
    ASSERT_TRUE(descriptor) << jname;
    const auto value = descriptor->convert_bin_to_json(hex);
    ASSERT_TRUE(value) << jname;
    const auto back = descriptor->convert_json_to_bin(*value);
    ASSERT_TRUE(back) << jname << " " << orx::libs::core::json::to_string(*value);
    EXPECT_EQ(*back, hex) << orx::libs::core::json::to_string(*value);
}

INSTANTIATE_TEST_SUITE_P(
    every_format, bundled_parameters,
    ::testing::Values(std::make_pair("fw_version", "01020304"), std::make_pair("hw_revision", "07"),
                      std::make_pair("report_period", "01F4"), std::make_pair("heartbeat_period", "00000E10"),
                      std::make_pair("tx_power", "FD"), std::make_pair("node_name", "416E63686F7231"),
                      std::make_pair("serial_number", "0011223344556677"), std::make_pair("radio_channel", "05"),
                      std::make_pair("data_rate", "02"), std::make_pair("preamble_length", "04"),
                      std::make_pair("gateway_ipv4", "C0A8010A"),
                      std::make_pair("gateway_ipv6", "20010DB8000000000000000000000001"),
                      std::make_pair("motion_sensitivity", "A0"), std::make_pair("battery_threshold", "96"),
                      std::make_pair("led_mode", "01"), std::make_pair("accelerometer_enabled", "01"),
                      std::make_pair("listen_slots", "2A"), std::make_pair("operating_mode", "30"),
                      // A packed byte of three fields between a channel and a power field.
                      std::make_pair("radio", "0BC5FE"),
                      std::make_pair("neighbours", "000AC4001BB0"),
                      std::make_pair("zones", "01486F6C6C0002446F636B00"),
                      std::make_pair("user_data", "0103AABBCC0200"),
                      std::make_pair("status", "C30064")));

TEST(bundled_parameter_file, uses_all_twenty_formats) {
    std::set<std::string> formats;
    std::function<bool(const orx::parameters::descriptor&)> collect = [&](const orx::parameters::descriptor& d) {
        formats.insert(std::string(d.get_type_name()));
        return d.for_each_field(collect);
    };
    registry().for_each_parameter(collect);
    EXPECT_EQ(formats.size(), 20u);
}

}  // namespace
