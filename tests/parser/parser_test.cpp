// Gateway frames cut into the time stamp and the data section, or refused with
// the parser's own text.

#include "gateway_message_parser.hpp"

#include <core/exception.hpp>
#include <core/logger.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orx::test {
namespace {

using ::testing::Property;
using ::testing::Throws;

struct frame_case {
    std::string hex;
    int64_t milliseconds;  // -1 when the frame is refused
    std::string text;      // the data section, or the failure's text
};

class gateway_frames : public ::testing::TestWithParam<frame_case> {
protected:
    libs::core::logger m_logger{"tarnwick", "test", libs::core::system_log::create_silent()};
    gateway_message_parser m_parser{m_logger};
};

TEST_P(gateway_frames, give_time_stamp_and_data_or_their_fault) {
    const auto& c = GetParam();
    std::string hex = c.hex;
    if (c.milliseconds < 0) {
        EXPECT_THAT([&] { m_parser.parse(binary_message{hex}); },
                    Throws<libs::core::exception>(Property(&libs::core::exception::error, c.text)));
        return;
    }
    const auto message = m_parser.parse(binary_message{hex});
    hex.assign(hex.size(), 'x');  // the data section must not point into the caller's text
    EXPECT_EQ(message.m_timestamp.get_time_since_epoch(), c.milliseconds);
    EXPECT_EQ(message.m_data, c.text);
}

const std::string ts = "5F5E100001F4";  // 1600000000 s and 500 ms

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    frames, gateway_frames,
    ::testing::Values(
        // Either case is taken; the data comes out upper case; milliseconds are unsigned.
        frame_case{"00065f5e1000ffff0008010203040506070a", 1600000065535, "010203040506070A"},
        // Seconds are unsigned too; a longer time stamp counts by its first 6 bytes.
        frame_case{"000880000000000100FF0008" "0102030405060708", 2147483648001, "0102030405060708"},
        // The length fields alone decide where sections end; trailing hex is ignored.
        frame_case{"0006" + ts + "0009" "010203040506070809" "ABC", 1600000000500, "010203040506070809"},
        frame_case{"000", -1, "check failed: _buffer.size() >= bytes( 2u )"},
        frame_case{"00FF" + std::string(20, '0'), -1, "check failed: timestamp.size() == bytes( *size )"},
        frame_case{"0006" + ts + "0009" "0102030405060708", -1, "check failed: data_buf.size() == bytes( *size )"},
        frame_case{"0005" "5F5E100001" "0008" "0102030405060708", -1, "The timestamp must be 6 bytes long"},
        frame_case{"0006" + ts + "0007" "01020304050607", -1, "Expected mac address"},
        frame_case{"0006" + ts + "0008" "0102030405060708" "g", -1, "The message contain non-hex chars"},
        frame_case{"0006" + ts + "0008" "01020304050607@8", -1, "The message contain non-hex chars"}));
// clang-format on

}  // namespace
}  // namespace orx::test
