// The converter as the service uses it: whole gateway frames in, every converter
// offered each frame in order; JSON requests filtered by their "mac".

#include "converter.hpp"
#include "uplink_support.hpp"

#include <core/exception.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include <json/value.h>

namespace orx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::Contains;

const std::string seconds = "6553F100";  // 1700000000
const std::string millis = "007B";       // 123

// A position report: code 010E, size 20, command 0020, an 18-byte record, the address.
const std::string position_payload = "010E" "00" "0014" "0020"
                                     "00000064" "FFFFFF38" "0000000A" "01" "02" "000000" "04"
                                     "0011223344556677";

class dispatch : public ::testing::Test {
protected:
    void convert(const std::string& frame) { m_converter.convert(binary_message{frame}); }

    test_logger log;
    std::istringstream empty{"{}"};
    parameters::config parameters{log.logger, empty};
    recording_handler handler;
    converter m_converter{log.logger, handler, parameters};
};

TEST_F(dispatch, heartbeat_yields_obsolete_then_event) {
    convert(gateway_frame(seconds, millis, node_payload{}.text()));
    ASSERT_THAT(handler.topics(), ElementsAre("obsolete", "event"));
    EXPECT_THAT(handler.documents[0].text, HasSubstr(R"("mac":"001122556677")"));
    EXPECT_THAT(handler.documents[1].text, HasSubstr(R"("mac":"001122556677")"));
    EXPECT_THAT(handler.documents[1].text, HasSubstr(R"("ts":"2023-11-14T22:13:20.123Z")"));
}

TEST_F(dispatch, announce_of_93_characters_yields_only_obsolete) {
    // A data section is whole bytes: the longest announce too short to convert
    // has 92 characters.
    const auto announce = with(&node_payload::code, "010F");
    convert(gateway_frame(seconds, millis, announce.substr(0, 92)));
    EXPECT_THAT(handler.topics(), ElementsAre("obsolete"));
    handler.documents.clear();

    convert(gateway_frame(seconds, millis, announce));
    EXPECT_THAT(handler.topics(), ElementsAre("obsolete", "event"));
}

TEST_F(dispatch, position_report_yields_no_obsolete) {
    convert(gateway_frame(seconds, millis, position_payload));
    EXPECT_THAT(handler.topics(), Not(Contains("obsolete")));
}

TEST_F(dispatch, other_codes_yield_only_obsolete) {
    for (const std::string code : {"0103", "0105", "0107", "080E"}) {
        handler.documents.clear();
        convert(gateway_frame(seconds, millis, with(&node_payload::code, code)));
        EXPECT_THAT(handler.topics(), ElementsAre("obsolete")) << code;
    }
}

// An output that fails on the first document: the failure leaves the converter
// and no later converter sees the frame.
struct failing_handler : recording_handler {
    void on_message(boost::string_view topic, const Json::Value& value) override {
        recording_handler::on_message(topic, value);
        throw std::runtime_error("output refused");
    }
};

TEST(dispatch_failure, stops_the_later_converters) {
    test_logger log;
    std::istringstream empty{"{}"};
    parameters::config parameters{log.logger, empty};
    failing_handler handler;
    converter convert{log.logger, handler, parameters};

    EXPECT_THROW(convert.convert(binary_message{gateway_frame(seconds, millis, node_payload{}.text())}),
                 std::runtime_error);
    EXPECT_THAT(handler.topics(), ElementsAre("obsolete"));
}

TEST_F(dispatch, generic_frame_of_wrong_size_raises_after_obsolete) {
    // Size 5 where the frame length gives 2.
    EXPECT_THROW(convert(gateway_frame(seconds, millis, "010E" "00" "0005" "0030" "0011223344556677")),
                 libs::core::exception);
    EXPECT_THAT(handler.topics(), ElementsAre("obsolete"));
}

struct request_case {
    std::string name;
    std::string request;
};

class dropped_request : public dispatch, public ::testing::WithParamInterface<request_case> {};

TEST_P(dropped_request, yields_nothing_and_logs_nothing) {
    const auto parsed = libs::core::json::try_parse(GetParam().request);
    ASSERT_TRUE(parsed.ok);
    m_converter.convert(parsed.result);
    EXPECT_THAT(handler.binaries, IsEmpty());
    EXPECT_THAT(log.log->lines, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    requests, dropped_request,
    ::testing::Values(request_case{"null", "null"},
                      request_case{"no_mac", R"({"message":{"reboot":{}}})"},
                      request_case{"mac_11", R"({"mac":"001122AABBC","message":{"reboot":{}}})"},
                      request_case{"mac_13", R"({"mac":"001122AABBCCD","message":{"reboot":{}}})"},
                      request_case{"mac_number", R"({"mac":1122334455,"message":{"reboot":{}}})"},
                      request_case{"mac_object", R"({"mac":{},"message":{"reboot":{}}})"}),
    [](const auto& info) { return info.param.name; });

TEST_F(dispatch, mac_of_non_hex_characters_is_refused_with_a_log_line) {
    for (const std::string mac : {"001122AABBCG", "00112 AABBCC", "0x1122AABBCC"}) {
        log.log->lines.clear();
        Json::Value request;
        request["mac"] = mac;
        request["message"]["reboot"] = Json::objectValue;
        m_converter.convert(request);
        EXPECT_THAT(handler.binaries, IsEmpty());
        ASSERT_EQ(log.log->lines.size(), 1u) << mac;
        EXPECT_EQ(log.log->lines[0].first, 3);
        EXPECT_THAT(log.log->lines[0].second, HasSubstr("\"" + mac + "\""));
    }
}

TEST_F(dispatch, request_that_is_no_object_raises) {
    EXPECT_THROW(m_converter.convert(Json::Value(Json::arrayValue)), Json::LogicError);
    EXPECT_THROW(m_converter.convert(Json::Value("001122AABBCC")), Json::LogicError);
}

TEST_F(dispatch, sequence_number_runs_on_across_requests) {
    Json::Value request;
    request["mac"] = "001122aabbcc";
    request["message"]["reboot"] = Json::objectValue;
    for (int i = 0; i < 257; ++i)
        m_converter.convert(request);
    ASSERT_EQ(handler.binaries.size(), 257u);
    EXPECT_EQ(handler.binaries[0].substr(0, 6), "080E00");
    EXPECT_EQ(handler.binaries[1].substr(0, 6), "080E01");
    EXPECT_EQ(handler.binaries[255].substr(0, 6), "080EFF");
    EXPECT_EQ(handler.binaries[256].substr(0, 6), "080E00");
}

}  // namespace
}  // namespace orx::test
