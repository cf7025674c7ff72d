// The raw "obsolete" form: where the sender's address is found and which frames
// are position reports; the node type text of no node type.

#include "node_type.hpp"
#include "obsolete_converter.hpp"
#include "uplink_support.hpp"

#include <core/exception.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace orx::test {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

// `code` followed by characters that name their own position: character i is
// "0-9A-Za-z"[i], so a MAC text shows which stretches it was cut from.
std::string positional(const std::string& code, std::size_t length) {
    static const std::string alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    std::string text = code;
    for (std::size_t i = code.size(); i < length; ++i)
        text += alphabet[i % alphabet.size()];
    return text.substr(0, length);
}

struct mac_case {
    std::string name;
    std::string payload;
    std::string mac;
};

class get_mac : public ::testing::TestWithParam<mac_case> {};

TEST_P(get_mac, finds_the_address_by_length_and_code) {
    test_logger log;
    recording_handler handler;
    const obsolete_converter converter(log.logger(), handler);
    const auto& c = GetParam();

    EXPECT_EQ(converter.get_mac(c.payload), c.mac);

    converter.convert(libs::core::timestamp(0), c.payload);
    ASSERT_EQ(handler.documents.size(), 1u);
    EXPECT_EQ(handler.documents[0].topic, "obsolete");
    EXPECT_EQ(handler.documents[0].text, "{\"hex\":\"" + c.payload + "\",\"mac\":\"" + c.mac +
                                             "\",\"ts\":\"1970-01-01T00:00:00.000Z\"}");
}

INSTANTIATE_TEST_SUITE_P(
    payloads, get_mac,
    ::testing::Values(
        mac_case{"empty", "", ""},
        mac_case{"length_15", positional("0104", 15), ""},
        mac_case{"length_16_positions", positional("0011", 16), "001145ABCDEF"},
        mac_case{"length_17_odd", positional("0011", 17), "001145ABCDEF"},
        mac_case{"length_21_0103_last_8_bytes", positional("0103", 21), "456789EFGHIJ"},
        mac_case{"length_24_0103_from_6", positional("0103", 24), "6789ABGHIJKL"},
        mac_case{"length_25_other_last_8_bytes", positional("0105", 25), "89ABCDIJKLMN"},
        mac_case{"length_29_0104_last_8_bytes", positional("0104", 29), "CDEFGHMNOPQR"},
        mac_case{"length_30_0104_from_14", positional("0104", 30), "EFGHIJOPQRST"},
        mac_case{"length_30_010F_from_14", positional("010F", 30), "EFGHIJOPQRST"},
        mac_case{"length_40_other_last_8_bytes", positional("0105", 40), "OPQRSTYZabcd"},
        mac_case{"length_40_010E_parameter_report", "010E000000000E" + positional("0105", 40).substr(14),
                 "OPQRSTYZabcd"},
        mac_case{"heartbeat_same_mac_as_its_document", node_payload{}.text(), "001122556677"},
        mac_case{"lower_case_copied_unchanged", "0105aabbccddeeff0011", "aabbccff0011"}),
    [](const auto& info) { return info.param.name; });

TEST(obsolete_converter, skips_position_reports_only) {
    test_logger log;
    recording_handler handler;
    const obsolete_converter converter(log.logger(), handler);

    struct pos_case {
        std::string payload;
        bool is_pos;
    };
    const pos_case cases[] = {
        {"010E0000000020", true},
        {"010E0000000020" + std::string(52, '0'), true},
        {"010E000000002", false},
        {"010E000000000E", false},
        {"010E0000000021", false},
        {"0104000000002000", false},
        {"010e0000000020", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.payload);
        handler.documents.clear();
        EXPECT_EQ(converter.is_pos(c.payload), c.is_pos);
        converter.convert(libs::core::timestamp(0), c.payload);
        EXPECT_EQ(handler.documents.size(), c.is_pos ? 0u : 1u);
    }
}

TEST(shrink_mac, keeps_at_most_six_characters_after_the_middle_bytes) {
    EXPECT_EQ(shrink_mac("0123456789"), "012345");
    EXPECT_EQ(shrink_mac("0123456789AB"), "012345AB");
    EXPECT_EQ(shrink_mac("0123456789ABCDEFGHIJ"), "012345ABCDEF");
    for (const std::string address : {"", "01234", "012345678"})
        EXPECT_THAT([&] { shrink_mac(address); }, ThrowsMessage<std::out_of_range>("string_view::substr"))
            << address;
}

TEST(node_type, text_of_no_node_type_raises) {
    for (const auto value : {node_type::_count, static_cast<node_type>(-1), static_cast<node_type>(99)})
        EXPECT_THAT([&] { to_string(value); },
                    ThrowsMessage<libs::core::exception>(
                        AllOf(HasSubstr("/src/node_type.cpp:"), HasSubstr(" Unknown node_type"))));
}

}  // namespace
}  // namespace orx::test
