// How tarnwick-send and tarnwick-convert read a line: trimmed, then a request or a frame.
#include "common/input_line.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using orx::tools::input_line;

struct line_case {
    std::string line;
    input_line::kind_type kind;
    std::string text;

    friend void PrintTo(const line_case& c, std::ostream* os) { *os << '"' << c.line << '"'; }
};

class input_lines : public ::testing::TestWithParam<line_case> {};

TEST_P(input_lines, are_trimmed_before_they_are_routed) {
    const auto read = orx::tools::read_input_line(GetParam().line);
    EXPECT_EQ(read.m_kind, GetParam().kind);
    EXPECT_EQ(read.m_text, GetParam().text);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    lines, input_lines,
    ::testing::Values(line_case{" \t {\"mac\":\"001122aabbcc\"}\t \r", input_line::REQUEST, "{\"mac\":\"001122aabbcc\"}"},
                      line_case{"\t 0006000000000000 \r", input_line::FRAME, "0006000000000000"},
                      line_case{"{", input_line::REQUEST, "{"},
                      line_case{"0006{", input_line::FRAME, "0006{"},
                      line_case{" \t\r", input_line::EMPTY, ""}));
// clang-format on

}  // namespace
