// The service's own command line: -t checks the configuration without
// starting anything, -v prints the version, anything else shows the usage.
#include "instance.hpp"

#include <core/constants.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using namespace orx::test;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string valid_parameters = R"({"hw_param": [{"num": 1, "jname": "period", "format": "UINT", "size": 2}]})";

struct check_case {
    std::string name;
    // Rewrites the files the check reads; the configuration starts out valid
    // and names the parameter file "parameters.json" in the folder.
    std::function<void(service_configuration&)> prepare;
    std::vector<std::string> reported;
    std::vector<std::string> not_reported;

    friend void PrintTo(const check_case& c, std::ostream* os) { *os << c.name; }
};

class configuration_check : public ::testing::TestWithParam<check_case> {
protected:
    configuration_check() : m_config(m_dir) {
        m_config.parameters = m_dir.file("parameters.json");
        std::ofstream(m_config.parameters) << valid_parameters;
    }

    temp_dir m_dir;
    service_configuration m_config;
};

TEST_P(configuration_check, reports_every_problem_and_exits_1) {
    const auto& c = GetParam();
    m_config.write();
    c.prepare(m_config);
    child_process check(program("tarnwick"), {"-t", "-c", m_config.path}, m_dir.path());
    ASSERT_EQ(check.wait(), 1) << check.error_output();
    EXPECT_EQ(check.standard_output(), "");
    const auto report = check.error_output();
    for (const auto& text : c.reported)
        EXPECT_THAT(report, HasSubstr(text));
    for (const auto& text : c.not_reported)
        EXPECT_THAT(report, Not(HasSubstr(text)));
}

void write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

INSTANTIATE_TEST_SUITE_P(
    problems, configuration_check,
    ::testing::Values(
        check_case{"config_not_json", [](service_configuration& c) { write(c.path, "{ \"system\": "); },
                   {"tarnwick: std::exception::what(): Cannot parse json: "},
                   {"Config file is invalid", "Parameter"}},
        check_case{"config_missing", [](service_configuration& c) { c.path += ".absent"; },
                   {"Cannot parse json: "}, {}},
        // Every key is reported, in the order the service reads them; the parameter
        // file the refused configuration names is still checked (and is fine).
        check_case{"keys_missing_and_mistyped",
                   [](service_configuration& c) {
                       write(c.path, R"({"system": {"local_debug": "yes", "debug_port": 7}, "binary": [],
                                        "parameters": {"config_file": ")" + c.parameters + R"("},
                                        "statistics": {"textfile": 15}})");
                   },
                   {"Config file is invalid: Can not find field <string>: system.pidfile\n"
                    "Can not find field <string>: system.debug_port\n"
                    "Can not find field <bool>: system.local_debug\n"
                    "Can not find object <object>: binary, path: binary.input\n",
                    "Can not find object <object>: binary, path: binary.tmp_output\n"
                    "Can not find object <object>: json, path: json.input\n"
                    "Can not find object <object>: json, path: json.output\n"
                    "Can not find field <string>: statistics.textfile\n"},
                   {"parameters.config_file", "Parameter"}},
        check_case{"both_files_refused",
                   [](service_configuration& c) {
                       write(c.path, R"({"parameters": {"config_file": ")" + c.parameters + R"("}})");
                       write(c.parameters, "{ not json");
                   },
                   {"Config file is invalid: ", "tarnwick: /src/parameter_config/config.cpp",
                    "Parameter config file is invalid: "},
                   {}},
        check_case{"parameter_file_missing", [](service_configuration& c) { std::remove(c.parameters.c_str()); },
                   {"Parameter config file is invalid: "}, {"Config file is invalid"}},
        check_case{"parameter_size_refused",
                   [](service_configuration& c) {
                       write(c.parameters, R"({"hw_param": [{"num": 1, "jname": "period", "format": "UINT", "size": 3}]})");
                   },
                   {"Descriptor period size is incorrect"}, {}},
        check_case{"parameter_without_number",
                   [](service_configuration& c) {
                       write(c.parameters, R"({"hw_param": [{"jname": "period", "format": "UINT", "size": 2}]})");
                   },
                   {"Parameter period must have a \"num\" field"}, {}},
        check_case{"field_without_offset",
                   [](service_configuration& c) {
                       write(c.parameters, R"({"hw_param": [{"num": 4, "jname": "radio", "format": "OBJECT",
                                               "fields": [{"jname": "channel", "format": "UINT", "size": 1}]}]})");
                   },
                   {"Field channel must have a offset field"}, {}}),
    [](const ::testing::TestParamInfo<check_case>& info) { return info.param.name; });

TEST(configuration_check_ok, says_so_and_starts_nothing) {
    temp_dir dir, outputs;
    service_configuration config(dir);
    config.statistics_textfile = dir.file("tarnwick.prom");
    config.write();
    const auto before = folder_names(dir.path());
    child_process check(program("tarnwick"), {"-t", "-c", config.path}, outputs.path());
    ASSERT_EQ(check.wait(), 0) << check.error_output();
    EXPECT_EQ(check.standard_output(), "configuration ok\n");
    EXPECT_EQ(check.error_output(), "");
    // No pid file, no ipc endpoint, no textfile.
    EXPECT_EQ(folder_names(dir.path()), before);
}

TEST(configuration_check_ok, bundled_configuration_passes) {
    temp_dir dir;
    child_process check(program("tarnwick"), {"-t", "-c", "etc/tarnwick.json"}, dir.path(), TARNWICK_SOURCE_DIR);
    ASSERT_EQ(check.wait(), 0) << check.error_output();
    EXPECT_EQ(check.standard_output(), "configuration ok\n");
}

TEST(version, printed_without_a_configuration) {
    namespace constants = orx::libs::core::constants;
    temp_dir dir;
    child_process version(program("tarnwick"), {"-v"}, dir.path());
    ASSERT_EQ(version.wait(), 0) << version.error_output();
    EXPECT_EQ(version.standard_output(), std::string(constants::project_name) + " " + constants::git_version + "." +
                                             constants::git_subversion + "\n");
}

TEST(usage, lists_every_option) {
    temp_dir dir;
    child_process wrong(program("tarnwick"), {"-x"}, dir.path());
    ASSERT_EQ(wrong.wait(), 1);
    const auto usage = wrong.error_output();
    EXPECT_THAT(usage, HasSubstr("Usage: " + program("tarnwick") + " -c config_file [-t] [-v]\n"));
    for (const char* option : {"\n  -c config_file  ", "\n  -t  ", "\n  -v  "})
        EXPECT_THAT(usage, HasSubstr(option));
}

}  // namespace
