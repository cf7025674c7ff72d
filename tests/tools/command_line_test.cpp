// The tools run as processes: what they say and how they end when they cannot do their job.
#include "support/service_fixture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using orx::test::program;
using orx::test::run_process;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;

struct command {
    std::string tool;
    std::vector<std::string> arguments;
    std::string named;  // what the error names: the option, the endpoint or the file

    friend void PrintTo(const command& c, std::ostream* os) { *os << c.tool << ' ' << c.arguments.front(); }
};

class bad_command_line : public ::testing::TestWithParam<command> {};

TEST_P(bad_command_line, ends_with_status_1_and_one_line_naming_what_is_wrong) {
    const auto& c = GetParam();
    const auto result = run_process(program(c.tool), c.arguments, "0006\n");
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_THAT(result.err, MatchesRegex(c.tool + ": [^\n]*\n"));
    EXPECT_THAT(result.err, HasSubstr(c.named));
}

const std::string bogus = "bogus://";
const std::string missing_key = "/nonexistent/client.key_secret";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    tools, bad_command_line,
    ::testing::Values(
        command{"tarnwick-tap", {"-n", "abc"}, "option -n "}, command{"tarnwick-tap", {"-n", "0"}, "option -n "},
        command{"tarnwick-send", {"-l", "abc"}, "option -l "}, command{"tarnwick-send", {"-l", "-5"}, "option -l "},
        command{"tarnwick-send", {"-l", "99999999999"}, "option -l "},
        command{"tarnwick-send", {"-b", bogus, "-j", bogus}, bogus}, command{"tarnwick-load", {"-r", "x"}, "-r "},
        command{"tarnwick-relay", {"--sndhwm", "-1"}, "option --sndhwm "},
        command{"tarnwick-relay", {"--binary-input", bogus, "--binary-output", bogus, "--json-input", bogus,
                                   "--json-output", bogus}, bogus},
        command{"tarnwick-send", {"--key", missing_key, "-b", bogus}, "option --key "},
        command{"tarnwick-load", {"--server-key", missing_key}, "option --server-key "},
        command{"tarnwick-tap", {"--key", missing_key, "--server-key", missing_key}, missing_key},
        // An empty key option (an unset shell variable) must not mean clear text.
        command{"tarnwick-send", {"--key", "", "--server-key", "", "-b", bogus}, "option --key "},
        command{"tarnwick-tap", {"--key", missing_key, "--server-key="}, "option --server-key "},
        command{"tarnwick-load", {"--key="}, "option --key "}));
// clang-format on

TEST(tarnwick_send, ends_with_status_1_naming_the_endpoint_no_service_took_a_message_on) {
    orx::test::temp_dir dir;
    zmq::context_t context;
    zmq::socket_t service(context, zmq::socket_type::pull);
    service.bind(dir.ipc("json_input"));
    const std::vector<std::string> arguments{"-j", dir.ipc("json_input"), "-b", dir.ipc("binary_input"), "-l", "300"};
    const auto result = run_process(program("tarnwick-send"), arguments, "{}\n0006\n", std::chrono::seconds(3));
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.err,
              "tarnwick-send: no service took a message on " + dir.ipc("binary_input") + " within 300 ms; 1 sent\n");
    EXPECT_EQ(orx::test::next(service, std::chrono::seconds(1)), "{}");
}

}  // namespace
