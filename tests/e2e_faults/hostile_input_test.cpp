// The running service against input that is too long or not a request, a raw
// output whose peer connects late, and files that are not what they should be:
// what it drops, refuses, logs, counts and sends.

#include "support/service_fixture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orx::test {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::Not;

std::string reboot(const std::string& mac) { return R"({"mac":")" + mac + R"(","message":{"reboot":{}}})"; }

// A frame of `length` characters whose generic data section has a wrong size
// field, so that its failure text quotes the whole section.
std::string frame(std::size_t length) { return "00066553F100007BFFFF010E" + std::string(length - 24, '0'); }

std::string request(std::size_t length) { return R"({"pad":")" + std::string(length - 10, 'a') + R"("})"; }

TEST(hostile_input, is_dropped_counted_and_quoted_short_and_stale_downlink_is_not_sent) {
    service s([](service_configuration& c) { c.statistics_textfile = c.pidfile + ".prom"; }, false);
    // The longest frame is 4 + 12 + 4 + 2 * 65535 characters; a request at most 1 MiB.
    for (const auto& text : {frame(131090), frame(131091)})
        send(s.frames, {text});
    for (const auto& text : {std::string("null"), request(1048576), request(1048577), reboot("0000000000aa")})
        send(s.requests, {text});
    for (const char* line : {
             "binary_input: 00066553F100007BFFFF010E0000",   // the longest frame is taken
             "0000 [... cut, 131090 bytes in all]",          // and quoted short
             "binary_input: frame of 131091 bytes dropped",  // a longer one is not
             "json_input: {\"pad\":\"aaaa",                  // the longest request is taken
             "aaaa [... cut, 1048576 bytes in all]", "json_input: request of 1048577 bytes dropped",
             "Request is not a JSON object",                    // null
             "tmp_output: 1 downlink messages dropped so far",  // nobody on the raw output
         })
        EXPECT_TRUE(s.logged(line)) << "missing: " << line;
    std::istringstream lines(s.process->error_output());
    for (std::string line; std::getline(lines, line);)
        EXPECT_LT(line.size(), 1200u) << line.substr(0, 100);

    // A peer that comes later gets only what was sent once it is there.
    s.raw_downlink.bind(s.config.binary_tmp_output);
    auto first = nothing;
    for (const auto end = std::chrono::steady_clock::now() + 10s;
         first == nothing && std::chrono::steady_clock::now() < end; first = next(s.raw_downlink, 200ms))
        send(s.requests, {reboot("0000000000bb")});
    EXPECT_THAT(first, HasSubstr("FFFE0000BB"));

    s.process->signal(SIGTERM);
    ASSERT_EQ(s.process->wait(10s), 0);
    const auto statistics = read_file(s.config.statistics_textfile);
    // null, the frame too long and the longest one (its size field) failed to convert
    EXPECT_THAT(statistics, HasSubstr("tarnwick_conversion_failures_total 3\n"));
    EXPECT_THAT(statistics, HasSubstr("tarnwick_json_parse_failures_total 1\n"));
    EXPECT_THAT(statistics, Not(HasSubstr("tarnwick_tmp_output_dropped_total 0\n")));
}

// What takes the place of a file the service reads: a fifo nobody writes to, a
// device (reached through a link), or a file one byte over `limit`.
void make_hostile(const std::string& kind, const std::string& path, off_t limit) {
    ::unlink(path.c_str());
    if (kind == "fifo") {
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    } else if (kind == "device") {
        ASSERT_EQ(::symlink("/dev/null", path.c_str()), 0);
    } else {
        std::ofstream(path) << "";
        std::filesystem::resize_file(path, static_cast<std::uintmax_t>(limit + 1));
        ::chmod(path.c_str(), 0600);
    }
}

const std::string fifo_refused = "is a fifo, not a regular file";
const std::string device_refused = "is a character device, not a regular file";
constexpr off_t parameter_limit = 4 << 20;

// The file, the kind that takes its place, and the reason given.
struct hostile_file {
    std::string file, kind, reason;
    friend void PrintTo(const hostile_file& c, std::ostream* os) { *os << c.file << " as " << c.kind; }
};
class check_of_hostile_file : public ::testing::TestWithParam<hostile_file> {};

// `-t` names the file and its reason in one line, without waiting on it.
TEST_P(check_of_hostile_file, names_the_file_at_once) {
    const auto& c = GetParam();
    temp_dir dir;
    service_configuration config(dir);
    config.use_curve();
    if (c.file == "parameters")
        config.parameters = dir.file("parameters.json");
    config.write();
    const std::string path = c.file == "parameters"   ? config.parameters
                             : c.file == "secret key" ? dir.file("service.key_secret")
                             : c.file == "server key" ? dir.file("collector.key")
                                                      : config.path;
    const off_t limit = c.file == "parameters" ? parameter_limit : c.file == "configuration" ? 1 << 20 : 64 << 10;
    make_hostile(c.kind, path, limit);
    child_process check(program("tarnwick"), {"-t", "-c", config.path}, dir.path());
    EXPECT_EQ(check.wait(), 1);
    EXPECT_EQ(check.standard_output(), "");
    EXPECT_THAT(check.error_output(), HasSubstr(path + ": " + c.reason + "\n"));
    EXPECT_EQ(occurrences(check.error_output(), "\n"), 1u) << check.error_output();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(files, check_of_hostile_file, ::testing::Values(
    hostile_file{"configuration", "fifo", fifo_refused},
    hostile_file{"configuration", "large", "is larger than 1048576 bytes"},
    hostile_file{"parameters", "fifo", fifo_refused},
    hostile_file{"parameters", "device", device_refused},
    hostile_file{"parameters", "large", "is larger than 4194304 bytes"},
    hostile_file{"secret key", "fifo", fifo_refused},
    hostile_file{"secret key", "large", "is larger than 65536 bytes"},
    hostile_file{"server key", "fifo", fifo_refused},
    hostile_file{"server key", "device", device_refused}));
// clang-format on

class hostile_parameter_file : public ::testing::TestWithParam<hostile_file> {};

// Refused at start with one line; refused at a reload, the parameters in use stay
// and conversion goes on.
TEST_P(hostile_parameter_file, stops_a_start_and_is_refused_at_a_reload) {
    const auto& c = GetParam();
    service s([](service_configuration& config) { config.parameters = config.folder + "/parameters.json"; }, true,
              {"-c", "@"}, false);
    const auto& path = s.config.parameters;
    make_hostile(c.kind, path, parameter_limit);
    s.start();
    EXPECT_EQ(s.process->wait(), 1);
    EXPECT_THAT(s.process->error_output(), HasSubstr(path + ": " + c.reason));

    ::unlink(path.c_str());
    std::filesystem::copy_file(std::string(TARNWICK_SOURCE_DIR) + "/etc/parameters.json", path);
    s.start();
    ASSERT_TRUE(s.wait_until_converting());
    make_hostile(c.kind, path, parameter_limit);
    s.process->signal(SIGHUP);
    EXPECT_TRUE(s.logged("the parameters in use stay: ") && s.logged(path + ": " + c.reason));
    EXPECT_TRUE(s.wait_until_converting());
    s.process->signal(SIGTERM);
    EXPECT_EQ(s.process->wait(), 0);
}

INSTANTIATE_TEST_SUITE_P(files, hostile_parameter_file,
                         ::testing::Values(hostile_file{"parameters", "fifo", fifo_refused},
                                           hostile_file{"parameters", "device", device_refused},
                                           hostile_file{"parameters", "large", "is larger than 4194304 bytes"}));

// A newer parameter file may name a format this version lacks: the entry is left
// out, and said so at start and at every reload.
TEST(hostile_files, parameter_entry_of_an_unknown_format_is_named_at_start_and_at_each_reload) {
    service s([](service_configuration& config) {
        config.parameters = config.folder + "/parameters.json";
        std::ofstream(config.parameters) << R"({"hw_param":[{"num":5,"jname":"tx_power","format":"UNIT","size":1}]})";
    });
    const std::string warning =
        R"(parameters.json: entry skipped, its format is not known: num 5, jname "tx_power", format "UNIT")";
    EXPECT_TRUE(s.logged(warning));
    ASSERT_TRUE(s.wait_until_converting());  // SIGHUP is taken from here on
    s.process->signal(SIGHUP);
    EXPECT_TRUE(s.logged("reload: 0 parameters") && s.logged(warning, 2));
    s.process->signal(SIGTERM);
    EXPECT_EQ(s.process->wait(), 0);
}

}  // namespace
}  // namespace orx::test
