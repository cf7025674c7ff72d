// The per-line part of tarnwick-convert, in process: which lines count and how
// failures are numbered.

#include "line_converter.hpp"

#include <core/logger.hpp>
#include <core/system_log.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace orx::test {
namespace {

struct silent_log : libs::core::system_log {
    void open(const char*, int, int) override {}
    void set_mask(int) override {}
    void write(int, const std::string&) override {}
    void close() override {}
};

class lines : public ::testing::Test {
protected:
    libs::core::logger logger{"tarnwick-convert", "test", std::make_shared<silent_log>()};
    std::istringstream empty{"{}"};
    parameters::config parameters{logger, empty};
    std::ostringstream output;
    std::ostringstream errors;
    line_converter converter{logger, parameters, output};
};

TEST_F(lines, numbers_every_line_and_counts_failures) {
    std::istringstream input("\n"
                             "zz\n"
                             "   \n"
                             "{\"mac\":\"001122AABBCC\"}\n"
                             "{\n"
                             "0006000000000000\n");
    EXPECT_EQ(converter.convert_lines(input, errors), 3u);
    EXPECT_THAT(output.str(), ::testing::IsEmpty());
    const std::regex expected("line 2: [^\n]* The message contain non-hex chars\n"
                              "line 5: json: '\\{', parse error: '[\\s\\S]+?'\n"
                              "line 6: [^\n]* check failed: _buffer\\.size\\(\\) >= bytes\\( 2u \\)\n");
    EXPECT_TRUE(std::regex_match(errors.str(), expected)) << errors.str();
}

}  // namespace
}  // namespace orx::test
