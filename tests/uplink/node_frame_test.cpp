// Heartbeat and announce payloads: which payloads convert, what each field becomes,
// and that a bad digit in a read field stops the conversion before any output.

#include "announce_converter.hpp"
#include "heartbeat_converter.hpp"
#include "uplink_support.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <boost/optional/bad_optional_access.hpp>

namespace orx::test {
namespace {

using ::testing::IsEmpty;
using ::testing::ThrowsMessage;

constexpr const char* bad_field = "Attempted to access the value of an uninitialized optional object.";
const libs::core::timestamp ts(1700000000005);

// `data`: the compact "data" member of the one document expected; empty when the
// payload yields nothing; "raises" when the optional-access error is expected.
struct frame_case {
    std::string name;
    std::string payload;
    std::string data;
};

std::string case_name(const ::testing::TestParamInfo<frame_case>& info) { return info.param.name; }

template <typename Converter>
class node_frame : public ::testing::TestWithParam<frame_case> {
protected:
    void check(const std::string& type) {
        const auto& c = GetParam();
        if (c.data == "raises") {
            EXPECT_THAT([&] { converter.convert(ts, c.payload); },
                        ThrowsMessage<boost::bad_optional_access>(bad_field));
            EXPECT_THAT(handler.documents, IsEmpty());
            return;
        }
        converter.convert(ts, c.payload);
        if (c.data.empty()) {
            EXPECT_THAT(handler.documents, IsEmpty());
            return;
        }
        ASSERT_EQ(handler.documents.size(), 1u);
        EXPECT_EQ(handler.documents[0].topic, "event");
        const auto mac = shrink_mac_of(c.payload);
        EXPECT_EQ(handler.documents[0].text, "{\"data\":" + c.data + ",\"mac\":\"" + mac +
                                                 "\",\"ts\":\"2023-11-14T22:13:20.005Z\",\"type\":\"" + type + "\"}");
    }

    // Characters 14-19 and 24-29, written out here rather than borrowed from the code under test.
    static std::string shrink_mac_of(const std::string& payload) { return payload.substr(14, 6) + payload.substr(24, 6); }

    test_logger log;
    recording_handler handler;
    Converter converter{log.logger(), handler};
};

using heartbeat = node_frame<heartbeat_converter>;
using announce = node_frame<announce_converter>;

TEST_P(heartbeat, payload_rules) { check("heartbeat"); }
TEST_P(announce, payload_rules) { check("announce"); }

const std::string hb = R"({"ntype":"MOBILE","pos_freq":10,"sl_z":-32768,"sublocation_id":5,"x":100,"y":-200,"z":-2})";

std::string hb_ntype(const std::string& text) {
    return R"({"ntype":")" + text + R"(","pos_freq":10,"sl_z":-32768,"sublocation_id":5,"x":100,"y":-200,"z":-2})";
}

const node_payload long_heartbeat = [] {
    node_payload p;
    p.tail += std::string(26, 'F');
    return p;
}();

INSTANTIATE_TEST_SUITE_P(
    payloads, heartbeat,
    ::testing::Values(
        frame_case{"length_94", node_payload{}.text(), hb},
        frame_case{"length_93", node_payload{}.text().substr(0, 93), ""},
        frame_case{"length_120", long_heartbeat.text(), hb},
        frame_case{"code_0105", with(&node_payload::code, "0105"), ""},
        frame_case{"code_010F_is_an_announce", with(&node_payload::code, "010F"), ""},
        frame_case{"code_lower_case_is_not_recognised", with(&node_payload::code, "010a"), ""},
        frame_case{"ntype_01", with(&node_payload::c10_11, "01"), hb_ntype("FIXED")},
        frame_case{"ntype_03", with(&node_payload::c10_11, "03"), hb_ntype("CONF_PENDING")},
        frame_case{"ntype_04", with(&node_payload::c10_11, "04"), hb_ntype("BRIDGE")},
        frame_case{"ntype_05", with(&node_payload::c10_11, "05"), hb_ntype("TDOA_MOBILE")},
        frame_case{"ntype_06", with(&node_payload::c10_11, "06"), hb_ntype("ASSET")},
        frame_case{"ntype_09_low_bits_only", with(&node_payload::c10_11, "09"), hb_ntype("FIXED")},
        frame_case{"ntype_FE_low_bits_only", with(&node_payload::c10_11, "FE"), hb_ntype("ASSET")},
        frame_case{"ntype_00_no_node", with(&node_payload::c10_11, "00"), ""},
        frame_case{"ntype_07_no_node", with(&node_payload::c10_11, "07"), ""},
        frame_case{"ntype_00_leaves_later_fields_unread", [] {
                       node_payload p;
                       p.c10_11 = "00";
                       p.x = "0000000G";
                       return p.text();
                   }(), ""},
        frame_case{"pos_freq_FF", with(&node_payload::c8_9, "FF"),
                   R"({"ntype":"MOBILE","pos_freq":255,"sl_z":-32768,"sublocation_id":5,"x":100,"y":-200,"z":-2})"},
        frame_case{"sublocation_FF", with(&node_payload::c12_13, "FF"),
                   R"({"ntype":"MOBILE","pos_freq":10,"sl_z":-32768,"sublocation_id":255,"x":100,"y":-200,"z":-2})"},
        frame_case{"x_minus_one", with(&node_payload::x, "FFFFFFFF"),
                   R"({"ntype":"MOBILE","pos_freq":10,"sl_z":-32768,"sublocation_id":5,"x":-1,"y":-200,"z":-2})"},
        frame_case{"y_largest", with(&node_payload::y, "7FFFFFFF"),
                   R"({"ntype":"MOBILE","pos_freq":10,"sl_z":-32768,"sublocation_id":5,"x":100,"y":2147483647,"z":-2})"},
        frame_case{"sl_z_and_z_positive", [] {
                       node_payload p;
                       p.c70_73 = "7FFF";
                       p.z = "0102";
                       return p.text();
                   }(),
                   R"({"ntype":"MOBILE","pos_freq":10,"sl_z":32767,"sublocation_id":5,"x":100,"y":-200,"z":258})"},
        frame_case{"lower_case_digits_and_address_kept", [] {
                       node_payload p;
                       p.address = "aabbccddeeff0011";
                       p.y = "ffffff38";
                       return p.text();
                   }(), hb},
        frame_case{"unread_stretches_may_hold_anything", [] {
                       node_payload p;
                       p.c4_7 = "zz!?";
                       p.c30_53 = std::string(24, ' ');
                       p.tail = std::string(16, 'x');
                       return p.text();
                   }(), hb},
        frame_case{"bad_pos_freq", with(&node_payload::c8_9, "G0"), "raises"},
        frame_case{"bad_ntype", with(&node_payload::c10_11, "0 "), "raises"},
        frame_case{"bad_sublocation", with(&node_payload::c12_13, "-1"), "raises"},
        frame_case{"bad_x", with(&node_payload::x, "0000000G"), "raises"},
        frame_case{"bad_y", with(&node_payload::y, "g0000000"), "raises"},
        frame_case{"bad_sl_z", with(&node_payload::c70_73, "80x0"), "raises"},
        frame_case{"bad_z", with(&node_payload::z, "FFF "), "raises"}),
    case_name);

const node_payload announce_base = [] {
    node_payload p;
    p.code = "010F";
    return p;
}();

const std::string an = R"({"sublocation_id":5,"x":100,"y":-200,"z":-2})";

INSTANTIATE_TEST_SUITE_P(
    payloads, announce,
    ::testing::Values(
        frame_case{"length_94", announce_base.text(), an},
        frame_case{"length_93", announce_base.text().substr(0, 93), ""},
        frame_case{"length_120", with(&node_payload::code, "010F", long_heartbeat), an},
        frame_case{"code_0104_is_a_heartbeat", node_payload{}.text(), ""},
        frame_case{"code_010E", with(&node_payload::code, "010E"), ""},
        frame_case{"x_smallest_z_minus_two", with(&node_payload::x, "80000000", announce_base),
                   R"({"sublocation_id":5,"x":-2147483648,"y":-200,"z":-2})"},
        frame_case{"no_frequency_type_or_sl_z_read", [] {
                       node_payload p;
                       p.code = "010F";
                       p.c8_9 = "??";
                       p.c10_11 = "00";
                       p.c70_73 = "sl_z";
                       return p.text();
                   }(), an},
        frame_case{"unread_stretches_may_hold_anything", [] {
                       node_payload p;
                       p.code = "010F";
                       p.c4_7 = "    ";
                       p.c30_53 = std::string(24, '*');
                       p.tail = std::string(16, 'z');
                       return p.text();
                   }(), an},
        frame_case{"bad_sublocation", with(&node_payload::c12_13, "0Z", announce_base), "raises"},
        frame_case{"bad_x", with(&node_payload::x, "+0000001", announce_base), "raises"},
        frame_case{"bad_y", with(&node_payload::y, "0000000.", announce_base), "raises"},
        frame_case{"bad_z", with(&node_payload::z, "FFFH", announce_base), "raises"}),
    case_name);

}  // namespace
}  // namespace orx::test
