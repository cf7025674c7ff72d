// tarnwick-convert run as a process: a golden capture in and out, failed lines
// and the exit status.

#include "support/service_fixture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

namespace orx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string golden(const std::string& name) {
    const auto text = read_file(TARNWICK_SOURCE_DIR "/tests/convert/golden/" + name);
    EXPECT_FALSE(text.empty()) << "missing golden file " << name;
    return text;
}

process_result convert(const std::string& input, const std::vector<std::string>& args = {}) {
    return run_process(program("tarnwick-convert"), args, input);
}

// The numbers of the failed lines that the errors name, in order.
std::vector<int> failed_lines(const std::string& errors) {
    static const std::regex failure("(^|\n)line ([0-9]+): ");
    std::vector<int> numbers;
    for (std::sregex_iterator it(errors.begin(), errors.end(), failure), end; it != end; ++it)
        numbers.push_back(std::stoi((*it)[2]));
    return numbers;
}

TEST(tarnwick_convert, replays_a_capture) {
    const auto result = convert(golden("capture.txt"));
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, golden("capture.expected"));
    EXPECT_EQ(result.err, "");
}

TEST(tarnwick_convert, reports_failed_lines_and_goes_on) {
    const auto result = convert(golden("failures.txt"));
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.out, golden("failures.expected"));
    EXPECT_THAT(failed_lines(result.err), ElementsAre(2, 4, 5, 7));
    EXPECT_THAT(result.err, HasSubstr("The message contain non-hex chars\nline 5: json: '{\"mac\":\"001122AABBCC\",', "
                                      "parse error: '"));
}

struct status_case {
    std::string name;
    std::string input;
    std::vector<std::string> args;
    int status;
};

class exit_status : public ::testing::TestWithParam<status_case> {};

TEST_P(exit_status, tells_whether_every_line_converted) {
    EXPECT_EQ(convert(GetParam().input, GetParam().args).exit_status, GetParam().status);
}

const std::string request = R"({"mac":"001122aabbcc","message":{"reboot":{}}})";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    inputs, exit_status,
    ::testing::Values(status_case{"every_line_converted", request + "\n\n" + request, {}, 0},
                      status_case{"one_line_failed", request + "\n0006\n" + request + "\n", {}, 1},
                      status_case{"only_line_failed_without_end", "{not json", {}, 1},
                      status_case{"unknown_option", request, {"-x"}, 2},
                      status_case{"parameter_file_missing", request, {"-p", "/nonexistent/parameters.json"}, 2}),
    [](const auto& case_info) { return case_info.param.name; });
// clang-format on

}  // namespace
}  // namespace orx::test
