#include "support/capturing_system_log.hpp"

#include "converter_utils.hpp"
#include "gateway_message_parser.hpp"

#include <boost/optional/optional_io.hpp>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using orx::binary_message;
using orx::gateway_message_parser;
using ::testing::HasSubstr;

class parser_test : public ::testing::Test {
protected:
    orx::libs::core::logger m_logger{"tarnwick", "test", std::make_shared<orx::test::capturing_system_log>()};
    gateway_message_parser m_parser{m_logger};
};

struct frame_case {
    std::string hex;
    int64_t milliseconds;
    std::string data;
};

class parser_accepts : public parser_test, public ::testing::WithParamInterface<frame_case> {};

TEST_P(parser_accepts, cuts_time_stamp_and_data) {
    const auto& c = GetParam();
    const auto message = m_parser.parse(binary_message{c.hex});
    EXPECT_EQ(message.m_timestamp.get_time_since_epoch(), c.milliseconds);
    EXPECT_EQ(message.m_data, c.data);
}

INSTANTIATE_TEST_SUITE_P(
    frames, parser_accepts,
    ::testing::Values(
        frame_case{"00065F5E100001F400080102030405060708", 1600000000500, "0102030405060708"},
        frame_case{"00065f5e100001f400080102030405060708", 1600000000500, "0102030405060708"},
        frame_case{"00065F5e100001f40008010203040506070a", 1600000000500, "010203040506070A"},
        // Milliseconds have no range limit.
        frame_case{"00065F5E1000FFFF00080102030405060708", 1600000065535, "0102030405060708"},
        // A longer time stamp: its first 6 bytes count, the rest is skipped.
        frame_case{"00085F5E100001F4ABCD00080102030405060708", 1600000000500, "0102030405060708"},
        // The length fields alone decide where sections end.
        frame_case{"00075F5E100001F4FF00080102030405060708", 1600000000500, "0102030405060708"},
        // Trailing hex after the data section is ignored, odd length too.
        frame_case{"00065F5E100001F400080102030405060708ABC", 1600000000500, "0102030405060708"},
        frame_case{"00065F5E100001F40009010203040506070809", 1600000000500, "010203040506070809"}));

struct failure_case {
    std::string hex;
    std::string text;
    bool check;  // raised as a failed check rather than a plain exception
};

class parser_rejects : public parser_test, public ::testing::WithParamInterface<failure_case> {};

TEST_P(parser_rejects, with_its_text) {
    const auto& c = GetParam();
    try {
        m_parser.parse(binary_message{c.hex});
        FAIL() << "accepted " << c.hex;
    } catch (const orx::libs::core::check_failed_exception& e) {
        EXPECT_TRUE(c.check) << e.what();
        EXPECT_EQ(e.error(), c.text);
        EXPECT_THAT(e.what(), ::testing::StartsWith("/src/gateway_message_parser.cpp:"));
    } catch (const orx::libs::core::exception& e) {
        EXPECT_FALSE(c.check) << e.what();
        EXPECT_EQ(e.error(), c.text);
        EXPECT_THAT(e.what(), ::testing::StartsWith("/src/gateway_message_parser.cpp:"));
    }
}

const std::string ts = "5F5E100001F4";

INSTANTIATE_TEST_SUITE_P(
    frames, parser_rejects,
    ::testing::Values(
        failure_case{"", "check failed: _buffer.size() >= bytes( 2u )", true},
        failure_case{"000", "check failed: _buffer.size() >= bytes( 2u )", true},
        failure_case{"0006" + ts, "check failed: _buffer.size() >= bytes( 2u )", true},
        failure_case{"00FF" + std::string(20, '0'), "check failed: timestamp.size() == bytes( *size )", true},
        failure_case{"0006" + ts + "0009" + "0102030405060708", "check failed: data_buf.size() == bytes( *size )", true},
        failure_case{"0005" + std::string("5F5E100001") + "0008" + "0102030405060708",
                     "The timestamp must be 6 bytes long", false},
        failure_case{"0006" + ts + "0007" + "01020304050607", "Expected mac address", false},
        failure_case{"0006" + ts + "0008" + "0102030405060708" + "g", "The message contain non-hex chars", false},
        failure_case{"0006" + ts + " 0008" + "0102030405060708", "The message contain non-hex chars", false},
        failure_case{"0006" + ts + "0008" + "01020304050607@8", "The message contain non-hex chars", false}));

TEST_F(parser_test, data_survives_moving_the_message) {
    std::string hex = "00065F5E100001F400080102030405060708";
    auto message = m_parser.parse(binary_message{hex});
    hex.assign(hex.size(), 'x');
    const auto moved = std::move(message);
    EXPECT_EQ(moved.m_data, "0102030405060708");
}

// ---- parse_number ----

TEST(parse_number, reads_big_endian_two_complement) {
    using orx::parse_number;
    EXPECT_EQ(parse_number<uint8_t>("FF"), uint8_t{255});
    EXPECT_EQ(parse_number<int8_t>("FF"), int8_t{-1});
    EXPECT_EQ(parse_number<char>("41"), 'A');
    EXPECT_EQ(parse_number<uint16_t>("01f4"), uint16_t{500});
    EXPECT_EQ(parse_number<int16_t>("8000"), int16_t{-32768});
    EXPECT_EQ(parse_number<int16_t>("FFFE"), int16_t{-2});
    EXPECT_EQ(parse_number<uint32_t>("FFFFFFFF"), uint32_t{4294967295u});
    EXPECT_EQ(parse_number<int32_t>("80000000"), int32_t{-2147483647 - 1});
    EXPECT_EQ(parse_number<int32_t>("0000000aZZ"), int32_t{10});  // later characters ignored
}

TEST(parse_number, short_text_or_bad_digit_gives_nothing) {
    using orx::parse_number;
    EXPECT_FALSE(parse_number<uint8_t>("F"));
    EXPECT_FALSE(parse_number<uint8_t>(""));
    EXPECT_FALSE(parse_number<uint16_t>("01F"));
    EXPECT_FALSE(parse_number<uint16_t>("01G4"));
    EXPECT_FALSE(parse_number<int32_t>("0000 001"));
    EXPECT_FALSE(parse_number<uint8_t>("-1"));
    EXPECT_EQ(orx::bytes(6u), 12u);
    EXPECT_EQ(orx::to_hex(300, 2), "2C");
    EXPECT_EQ(orx::to_hex(0xABCDEF, 8), "00ABCDEF");
}

}  // namespace
