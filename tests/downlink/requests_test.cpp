// Downlink requests through the generic request converter: the frames each
// request member becomes, their order and sequence numbers, and what is dropped.

#include "support/converters.hpp"

#include "generic_request_converter.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orx::test {
namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::ThrowsMessage;

constexpr const char* mac = "001122aabbcc";
const std::string address = "001122FFFEAABBCC";

class requests : public ::testing::Test {
protected:
    void send(const std::string& message) {
        converter.convert(parse(std::string(R"({"mac":")") + mac + R"(","message":)" + message + "}"),
                          sequence_number);
    }

    test_logger log;
    parameters::config registry = make_registry(log.logger());
    recording_handler handler;
    generic_request_converter converter{log.logger(), handler, registry};
    uint8_t sequence_number = 0;
};

struct request_case {
    const char* title;
    std::string message;
    uint8_t first_number;
    std::vector<std::string> frames;  // without the address that ends each of them
    uint8_t next_number;
    std::vector<log_line> logged;     // priority and a part of the text, in order
};

void PrintTo(const request_case& c, std::ostream* os) {
    *os << c.title;
}

class request_frames : public requests, public ::testing::WithParamInterface<request_case> {};

TEST_P(request_frames, are_built_in_order_with_consecutive_numbers) {
    const auto& c = GetParam();
    sequence_number = c.first_number;
    send(c.message);

    std::vector<std::string> expected;
    for (const auto& frame : c.frames)
        expected.push_back(frame + address);
    EXPECT_THAT(handler.messages, ElementsAreArray(expected));
    EXPECT_EQ(sequence_number, c.next_number);

    const auto lines = log.all();
    ASSERT_EQ(lines.size(), c.logged.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].priority, c.logged[i].priority);
        EXPECT_THAT(lines[i].text, HasSubstr(c.logged[i].text));
    }
}

INSTANTIATE_TEST_SUITE_P(
    members, request_frames,
    ::testing::Values(
        request_case{"reboot", R"({"reboot":{}})", 0, {"080E00000600010002FFFF"}, 1, {}},
        request_case{"get_with_unknown_name",
                     R"({"param_get":["p1","nope"]})", 5, {"080E050004000E0100"}, 6,
                     {{7, "Unknown parameter: nope"}}},
        request_case{"get_nothing", R"({"param_get":[]})", 0, {"080E000002000E"}, 1, {}},
        request_case{"set_in_name_order", R"({"param_set":{"b":2,"a":1}})", 0, {"080E000008000E0A01010B0102"}, 1, {}},
        request_case{"resp_plist", R"({"resp_plist":{"p3":-1,"p1":258}})", 0, {"080E000009000F010201020301FF"}, 1, {}},
        request_case{"number_wraps", R"({"reboot":{}})", 255, {"080EFF000600010002FFFF"}, 0, {}},
        request_case{"every_member_in_fixed_order",
                     R"({"resp_plist":{"a":1},"param_set":{"a":2},"param_get":["a"],"reboot":{},"other":1})",
                     254,
                     {"080EFE000600010002FFFF", "080EFF0004000E0A00", "080E000005000E0A0102", "080E010005000F0A0101"},
                     2,
                     {}},
        request_case{"members_of_the_wrong_type",
                     R"({"reboot":true,"configuration":[],"param_get":{},"param_set":[],"resp_plist":null})", 3, {}, 3,
                     {}},
        request_case{"null_message", "null", 3, {}, 3, {}},
        request_case{"invalid_value_left_out",
                     R"({"param_set":{"p1":"text","p3":-1}})", 0, {"080E000005000E0301FF"}, 1,
                     {{7, "Invalid parameter p1 body: \"text\""}}},
        request_case{"unknown_set_name", R"({"param_set":{"zz":1}})", 0, {"080E000002000E"}, 1,
                     {{7, "Unknown parameter: zz"}}},
        request_case{"number_above_255_left_out",
                     R"({"param_get":["wide","p1"],"resp_plist":{"wide":1,"p1":2}})", 0,
                     {"080E000004000E0100", "080E010006000F01020002"}, 2,
                     {{4, "Parameter wide left out, its number 300 does not fit a record"},
                      {4, "Parameter wide left out, its number 300 does not fit a record"}}}),
    [](const auto& info) { return std::string(info.param.title); });

TEST_F(requests, without_message_send_nothing) {
    converter.convert(parse(R"({"mac":"001122aabbcc"})"), sequence_number);
    EXPECT_THAT(handler.messages, IsEmpty());
    EXPECT_THAT(log.all(), IsEmpty());
}

TEST_F(requests, a_failing_member_ends_the_request) {
    EXPECT_THAT([&] { send(R"({"param_get":["p1"],"configuration":{"node_id":1},"reboot":{}})"); },
                ThrowsMessage<libs::core::exception>(HasSubstr("Field \"pos_freq\" is missing")));
    EXPECT_THAT(handler.messages, ElementsAreArray({"080E00000600010002FFFF" + address}));
    EXPECT_EQ(sequence_number, 1);
}

class malformed_mac : public requests, public ::testing::WithParamInterface<std::string> {};

TEST_P(malformed_mac, drops_the_request_with_an_error) {
    converter.convert(parse(R"({"mac":)" + GetParam() + R"(,"message":{"reboot":{}}})"), sequence_number);
    EXPECT_THAT(handler.messages, IsEmpty());
    EXPECT_EQ(sequence_number, 0);
    ASSERT_EQ(log.lines(3).size(), 1u);
    EXPECT_THAT(log.lines(3)[0], HasSubstr("Request dropped, \"mac\" is not 12 hex digits: " + GetParam()));
}

INSTANTIATE_TEST_SUITE_P(texts, malformed_mac,
                         ::testing::Values(R"("00112233445G")", R"("0011-2233-44")", R"("            ")",
                                           R"("001122aabbc")", R"("001122aabbccd")", "1122334455"));

class not_an_object : public requests, public ::testing::WithParamInterface<std::string> {};

TEST_P(not_an_object, raises_the_json_library_error) {
    EXPECT_THAT([&] { converter.convert(parse(GetParam()), sequence_number); },
                ThrowsMessage<Json::LogicError>(HasSubstr("requires objectValue or nullValue")));
    EXPECT_THAT(handler.messages, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(requests_and_messages, not_an_object,
                         ::testing::Values(R"(["mac"])", R"("001122aabbcc")", "5",
                                           R"({"mac":"001122aabbcc","message":[{"reboot":{}}]})",
                                           R"({"mac":"001122aabbcc","message":"reboot"})"));

}  // namespace
}  // namespace orx::test
