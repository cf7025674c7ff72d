// The service's command line: -t checks a configuration without starting anything, -v prints the
// version; a wrong command line or a start that fails ends with status 1 and says why.
#include "support/service_fixture.hpp"

#include <core/constants.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

using namespace orx::test;

// The arguments, "@" standing for the path of a sound configuration; the exit status, the standard
// output and a part of the standard error.
struct command {
    std::string name;
    std::vector<std::string> arguments;
    int status;
    std::string out, err;
};

class command_line : public ::testing::TestWithParam<command> {};

// The service runs from the source folder, where the bundled configuration names its parameter
// file. The pid file of its own configuration is locked, as a running instance holds it. A configuration
// refused as a whole still has the parameter file it names checked, and that one is refused too. The
// parameter file of its own configuration names a format this version lacks.
TEST_P(command_line, prints_and_ends_as_it_should) {
    int held = -1;
    service s(
        [&held](service_configuration& c) {
            held = ::open(c.pidfile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
            ::flock(held, LOCK_EX);
            std::ofstream(c.path + ".refused") << R"({"parameters": {"config_file": ")" << c.path << R"(.broken"}})";
            std::ofstream(c.path + ".broken") << "{ not json";
            c.parameters = c.path + ".parameters";
            std::ofstream(c.parameters) << R"({"hw_param":[{"num":5,"jname":"tx_power","format":"UINT","size":1},
                                                      {"num":6,"jname":"rx_gain","format":"UNIT","size":1}]})";
        },
        true, GetParam().arguments);
    EXPECT_EQ(s.process->wait(), GetParam().status) << s.process->error_output();
    EXPECT_EQ(s.process->standard_output(), GetParam().out);
    EXPECT_THAT(s.process->error_output(), ::testing::HasSubstr(GetParam().err));
    ::close(held);
}

const std::string usage = "Usage: " + program("tarnwick") + " -c config_file [-t] [-v]\n";
using namespace orx::libs::core::constants;
const std::string version = std::string(project_name) + " " + git_version + "." + git_subversion + "\n";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    commands, command_line,
    ::testing::Values(
        command{"version", {"-v"}, 0, version, ""},
        command{"check_of_bundled_configuration", {"-t", "-c", "etc/tarnwick.json"}, 0, "configuration ok\n", ""},
        command{"check_of_refused_files", {"-t", "-c", "@.refused"}, 1, "", "Parameter config file is invalid: "},
        command{"check_names_a_parameter_entry_it_would_skip", {"-t", "-c", "@"}, 0, "configuration ok\n",
                R"(.parameters: entry skipped, its format is not known: num 6, jname "rx_gain", format "UNIT")"},
        command{"unknown_option", {"-x", "-c", "@"}, 1, "", usage},
        command{"no_configuration", {}, 1, "", "The configuration file is not defined! " + usage},
        command{"pid_file_held_by_a_running_instance", {"-c", "@"}, 1, "", "Process is running"}),
    [](const ::testing::TestParamInfo<command>& case_info) { return case_info.param.name; });
// clang-format on

}  // namespace
