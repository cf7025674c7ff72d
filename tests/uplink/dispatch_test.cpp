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
using ::testing::IsEmpty;

const std::string seconds = "6553F100";  // 1700000000
const std::string millis = "007B";       // 123

class dispatch : public ::testing::Test {
protected:
    void convert(const std::string& frame) { m_converter.convert(binary_message{frame}); }

    test_logger log;
    std::istringstream empty{"{}"};
    parameters::config parameters{log.logger(), empty};
    recording_handler handler;
    converter m_converter{log.logger(), handler, parameters};
};

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
    parameters::config parameters{log.logger(), empty};
    failing_handler handler;
    converter convert{log.logger(), handler, parameters};

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
    EXPECT_THAT(handler.messages, IsEmpty());
    EXPECT_THAT(log.all(), IsEmpty());
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
    ASSERT_EQ(handler.messages.size(), 257u);
    EXPECT_EQ(handler.messages[0].substr(0, 6), "080E00");
    EXPECT_EQ(handler.messages[1].substr(0, 6), "080E01");
    EXPECT_EQ(handler.messages[255].substr(0, 6), "080EFF");
    EXPECT_EQ(handler.messages[256].substr(0, 6), "080E00");
}

}  // namespace
}  // namespace orx::test
