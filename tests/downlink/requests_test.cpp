// Downlink requests: the frames each member of a request's "message" becomes,
// byte for byte, their order and sequence numbers, and what is left out or dropped.

#include "support/converters.hpp"

#include "generic_frame.hpp"
#include "generic_request_converter.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace orx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string address = "001122FFFEAABBCC";  // of the MAC 001122aabbcc

class requests : public converter_fixture<generic_request_converter> {
protected:
    uint8_t sequence_number = 0;
};

struct request_case {
    const char* name;
    std::string request;
    uint8_t first_number;
    std::vector<std::string> frames;  // each without the address that ends it
    log_line logged = {};             // the one line expected, if any
    std::string error = {};           // part of the failure text, "" for none
};

class request_frames : public requests, public ::testing::WithParamInterface<request_case> {};

TEST_P(request_frames, are_built_in_order_with_running_numbers) {
    const auto& c = GetParam();
    sequence_number = c.first_number;
    expect_outcome([&] { converter.convert(parse(c.request), sequence_number); }, c.error);
    std::vector<std::string> expected;
    for (const auto& frame : c.frames)
        expected.push_back(frame + address);
    EXPECT_EQ(handler.messages, expected);
    EXPECT_EQ(sequence_number, static_cast<uint8_t>(c.first_number + c.frames.size()));
    expect_logged(c.logged);
}

std::string to(const std::string& message) { return R"({"mac":"001122aabbcc","message":)" + message + "}"; }

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    messages, request_frames,
    ::testing::Values(
        request_case{"reboot", to(R"({"reboot":{}})"), 0, {"080E00000600010002FFFF"}},
        // Numbers are cut to their field's width; the type is named in any case.
        request_case{"configuration",
                     to(R"({"configuration":{"node_id":258,"pos_freq":10,"ntype":"Asset","sublocation_id":1,)"
                        R"("x":-1,"y":1000,"z":150,"sl_z":-2}})"),
                     7, {"080E07001500CF01021E0A060001FFFFFFFF000003E8FFFE0096"}},
        request_case{"configuration_of_unknown_type",
                     to(R"({"configuration":{"node_id":1,"pos_freq":1,"ntype":"rover","sublocation_id":0,)"
                        R"("x":1,"y":1000,"z":32767,"sl_z":-2}})"),
                     0, {"080E00001500CF00011E0103000000000001000003E8FFFE7FFF"}},
        request_case{"get", to(R"({"param_get":["nope","p1"]})"), 5, {"080E050004000E0100"},
                     {7, "Unknown parameter: nope"}},
        request_case{"set_in_name_order", to(R"({"param_set":{"b":2,"a":1}})"), 0, {"080E000008000E0A01010B0102"}},
        request_case{"list_reply", to(R"({"resp_plist":{"p3":-1,"p1":258}})"), 0, {"080E000009000F010201020301FF"}},
        request_case{"every_member_in_fixed_order",
                     to(R"({"resp_plist":{"a":1},"param_set":{"a":2},"param_get":["a"],"reboot":{},"other":1})"), 254,
                     {"080EFE000600010002FFFF", "080EFF0004000E0A00", "080E000005000E0A0102", "080E010005000F0A0101"}},
        request_case{"members_of_the_wrong_type",
                     to(R"({"reboot":1,"configuration":[],"param_get":{},"param_set":[],"resp_plist":null})"), 3, {}},
        request_case{"invalid_value_left_out", to(R"({"param_set":{"p1":"text","p3":-1}})"), 0,
                     {"080E000005000E0301FF"}, {7, "Invalid parameter p1 body: \"text\""}},
        request_case{"unknown_name_left_out", to(R"({"param_set":{"nope":1,"p3":-1}})"), 0, {"080E000005000E0301FF"},
                     {7, "Unknown parameter: nope"}},
        request_case{"wide_number_left_out_of_get", to(R"({"param_get":["wide","p1"]})"), 0, {"080E000004000E0100"},
                     {4, "Parameter wide left out, its number 300 does not fit a record"}},
        request_case{"wide_number_left_out_of_reply", to(R"({"resp_plist":{"wide":1,"p1":2}})"), 0,
                     {"080E000006000F01020002"}, {4, "Parameter wide left out, its number 300 does not fit a record"}},
        // A failing member ends the request: the members after it are not sent.
        request_case{"failing_member", to(R"({"param_get":["p1"],"configuration":{"node_id":1},"reboot":{}})"), 0,
                     {"080E00000600010002FFFF"}, {}, "Field \"pos_freq\" is missing"},
        request_case{"no_message", R"({"mac":"001122aabbcc"})", 0, {}},
        request_case{"mac_not_hex", R"({"mac":"00112233445G","message":{"reboot":{}}})", 0, {},
                     {3, "Request dropped, \"mac\" is not 12 hex digits: \"00112233445G\""}}),
    [](const auto& case_info) { return std::string(case_info.param.name); });
// clang-format on

TEST_F(requests, size_field_limits_the_body) {
    send_downlink_frame(handler, "080E", sequence_number, 0x000E, std::string(2 * 65533, 'A'), address);
    EXPECT_THROW(send_downlink_frame(handler, "080E", sequence_number, 0x000E, std::string(2 * 65534, 'A'), address),
                 libs::core::exception);
    ASSERT_EQ(handler.messages.size(), 1u);
    EXPECT_EQ(handler.messages[0].substr(0, 14), "080E00FFFF000E");
    EXPECT_EQ(sequence_number, 1);
}

// A value of 255 bytes fills a record; one of 256 does not fit, and a one-byte
// format without its mask fails to encode: both are left out with a line.
TEST_F(requests, records_carry_only_what_fits) {
    std::istringstream text(R"({"hw_param":[{"num":9,"jname":"fits","format":"HEXVAR"},
        {"num":10,"jname":"long","format":"HEXVAR"},{"num":12,"jname":"masked","format":"BYTE_UINT"}]})");
    parameters::config own(log.logger(), text);
    generic_request_converter(log.logger(), handler, own)
        .convert(parse(to(R"({"param_set":{"fits":")" + std::string(510, 'C') + R"(","long":")" +
                          std::string(512, 'C') + R"(","masked":1}})")),
                 sequence_number);
    EXPECT_THAT(handler.messages, ElementsAre("080E000103000E09FF" + std::string(510, 'C') + address));
    EXPECT_THAT(log.lines(4), ElementsAre(HasSubstr("Parameter long left out, its value of 256 bytes does not fit")));
    EXPECT_THAT(log.lines(3), ElementsAre(HasSubstr("Parameter masked left out, its value could not be converted: ")));
}

}  // namespace
}  // namespace orx::test
