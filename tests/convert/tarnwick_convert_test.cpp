// tarnwick-convert run as a process: golden captures in and out, failure lines,
// exit statuses and options.

#include "support/service_process.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

namespace orx::test {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

const std::string program = TARNWICK_BINARY_DIR "/tools/tarnwick-convert";

std::string golden(const std::string& name) {
    std::ifstream file(TARNWICK_SOURCE_DIR "/tests/convert/golden/" + name);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file)
        ADD_FAILURE() << "missing golden file " << name;
    return text.str();
}

process_result convert(const std::string& input, const std::vector<std::string>& args = {}) {
    return run_process(program, args, input);
}

std::string with_crlf(const std::string& text) {
    std::string result;
    for (const char c : text) {
        if (c == '\n')
            result += '\r';
        result += c;
    }
    return result;
}

// A regular expression that matches `text` literally.
std::string literal(const std::string& text) {
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_replace(text, special, R"(\$&)");
}

TEST(tarnwick_convert, replays_a_capture) {
    const auto result = convert(golden("capture.txt"));
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, golden("capture.expected"));
    EXPECT_THAT(result.err, IsEmpty());
}

TEST(tarnwick_convert, reads_crlf_lines_and_a_last_line_without_end) {
    auto input = with_crlf(golden("capture.txt"));
    input.pop_back();  // the last line ends in a CR only
    const auto result = convert(input);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, golden("capture.expected"));
    EXPECT_THAT(result.err, IsEmpty());
}

TEST(tarnwick_convert, reports_failed_lines_and_goes_on) {
    for (const auto& input : {golden("failures.txt"), with_crlf(golden("failures.txt"))}) {
        const auto result = convert(input);
        EXPECT_EQ(result.exit_status, 1);
        EXPECT_EQ(result.out, golden("failures.expected"));
        const std::string parser = "/src/gateway_message_parser\\.cpp:[0-9]+ ";
        const std::string expected_errors =
            literal("line 2: ") + parser + literal("check failed: timestamp.size() == bytes( *size )\n") +
            literal("line 4: ") + parser + literal("The message contain non-hex chars\n") +
            literal("line 5: json: '{\"mac\":\"001122AABBCC\",', parse error: '") + "[\\s\\S]+?" + literal("'\n") +
            literal("line 7: ") + parser + literal("check failed: _buffer.size() >= bytes( 2u )\n");
        EXPECT_TRUE(std::regex_match(result.err, std::regex(expected_errors))) << result.err;
    }
}

TEST(tarnwick_convert, empty_input_converts_nothing) {
    for (const std::string input : {"", "\n\n", " \t \r\n"}) {
        const auto result = convert(input);
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_THAT(result.out, IsEmpty());
        EXPECT_THAT(result.err, IsEmpty());
    }
}

TEST(tarnwick_convert, help_says_what_it_is_for) {
    const auto result = convert("", {"-h"});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_THAT(result.out, StartsWith("Usage: tarnwick-convert [-p parameter_config_file] [-d]"));
    EXPECT_THAT(result.out, HasSubstr("offline"));
    EXPECT_THAT(result.err, IsEmpty());
}

TEST(tarnwick_convert, wrong_command_line_exits_2_with_usage) {
    const std::vector<std::string> wrong[] = {{"-x"}, {"-p"}, {"-d", "extra"}, {"--parameters", "file"}};
    for (const auto& args : wrong) {
        const auto result = convert(golden("capture.txt"), args);
        EXPECT_EQ(result.exit_status, 2) << args[0];
        EXPECT_THAT(result.out, IsEmpty());
        EXPECT_THAT(result.err, HasSubstr("Usage: tarnwick-convert"));
    }
}

class parameter_file : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(m_dir.file(name)) << text;
        return m_dir.file(name);
    }

    temp_dir m_dir;
};

TEST_F(parameter_file, that_loads_is_used) {
    const auto path = write("parameters.json",
                            R"({ "hw_param": [ { "num": 2, "jname": "report_period", "format": "UINT", "size": 2 } ] })");
    const auto result = convert(golden("capture.txt"), {"-p", path});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, golden("capture.expected"));
}

TEST_F(parameter_file, that_cannot_be_loaded_exits_2) {
    struct unusable {
        std::string path;
        std::string reason;
    };
    const unusable cases[] = {
        {m_dir.file("missing.json"), "missing.json"},
        {write("broken.json", "{ \"hw_param\": ["), "Parameter config file is invalid: "},
        {write("no_num.json", R"({ "hw_param": [ { "jname": "period", "format": "UINT", "size": 2 } ] })"),
         "Parameter period must have a \"num\" field"},
    };
    for (const auto& c : cases) {
        const auto result = convert(golden("capture.txt"), {"-p", c.path});
        EXPECT_EQ(result.exit_status, 2) << c.path;
        EXPECT_THAT(result.out, IsEmpty());
        EXPECT_THAT(result.err, HasSubstr(c.reason));
    }
}

TEST(tarnwick_convert, debug_mode_also_writes_log_lines_to_standard_error) {
    const std::string request = R"({"mac":"001122AABBCG","message":{"reboot":{}}})";
    const auto quiet = convert(request + "\n");
    EXPECT_EQ(quiet.exit_status, 0);
    EXPECT_THAT(quiet.err, IsEmpty());

    const auto debug = convert(request + "\n", {"-d"});
    EXPECT_EQ(debug.exit_status, 0);
    EXPECT_THAT(debug.out, IsEmpty());
    EXPECT_THAT(debug.err, HasSubstr("\"001122AABBCG\""));
    EXPECT_THAT(debug.err, Not(HasSubstr("line 1: ")));
}

}  // namespace
}  // namespace orx::test
