#include <core/json.hpp>
#include <core/timestamp.hpp>

#include <gtest/gtest.h>

#include <sstream>

namespace {

namespace json = orx::libs::core::json;
using orx::libs::core::timestamp;

TEST(json, parse_failures_report_without_throwing) {
    for (const char* text : {"", "{", "{\"a\":}", "nul"}) {
        const auto parsed = json::try_parse(text);
        EXPECT_FALSE(parsed.ok) << text;
        EXPECT_FALSE(parsed.error.empty()) << text;
        EXPECT_TRUE(parsed.result.isNull()) << text;
    }
}

TEST(json, comments_are_accepted_and_dropped) {
    const auto parsed = json::try_parse("// leading\n{\"a\": /* inner */ 1}");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(json::to_string(parsed.result), "{\"a\":1}");

    std::istringstream stream("/* c */ [1, 2]");
    const auto from_stream = json::try_parse(stream);
    ASSERT_TRUE(from_stream.ok);
    EXPECT_EQ(json::to_string(from_stream.result), "[1,2]");
}

TEST(json, parse_reads_only_the_given_view) {
    const std::string text = "{\"a\":1}garbage";
    EXPECT_TRUE(json::try_parse(boost::string_view(text.data(), 7)).ok);
}

TEST(json, append_keeps_what_is_there) {
    std::string out = "~event ";
    json::append_to_string(Json::Value(7), out);
    json::append_to_string(Json::Value("s"), out);
    EXPECT_EQ(out, "~event 7\"s\"");
}

struct iso_case {
    int64_t ms;
    bool with_ms;
    char delimiter;
    bool with_z;
    const char* text;
};

class iso_8601 : public ::testing::TestWithParam<iso_case> {};

TEST_P(iso_8601, renders) {
    const auto& c = GetParam();
    EXPECT_EQ(timestamp(c.ms).to_iso_8601(c.with_ms, c.delimiter, c.with_z), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    examples, iso_8601,
    // The document form ("...T...Z" with milliseconds) is in every golden and end-to-end document.
    ::testing::Values(iso_case{1700000000123, false, ' ', false, "2023-11-14 22:13:20"},
                      iso_case{951782400999, true, 'T', true, "2000-02-29T00:00:00.999Z"},
                      iso_case{4102444799000, true, 'T', true, "2099-12-31T23:59:59.000Z"},
                      iso_case{1600000000500, true, '_', false, "2020-09-13_12:26:40.500"}));

TEST(timestamp, agrees_with_gmtime_over_many_days) {
    // Every 7919 seconds across ~80 years.
    for (int64_t s = 0; s < 2600000000; s += 7919 * 97) {
        const time_t t = static_cast<time_t>(s);
        tm calendar{};
        gmtime_r(&t, &calendar);
        char expected[32];
        strftime(expected, sizeof expected, "%Y-%m-%d %H:%M:%S", &calendar);
        ASSERT_EQ(timestamp(s * 1000).to_iso_8601(false, ' ', false), expected) << s;
    }
}

}  // namespace
