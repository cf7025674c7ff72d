// The running service against input that is too long or not a request, and a raw
// output whose peer connects late: what it drops, logs, counts and sends.

#include "support/service_fixture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

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
             "binary_input: 00066553F100007BFFFF010E0000",      // the longest frame is taken
             "0000 [... cut, 131090 bytes in all]",             // and quoted short
             "binary_input: frame of 131091 bytes dropped",     // a longer one is not
             "json_input: {\"pad\":\"aaaa",                     // the longest request is taken
             "aaaa [... cut, 1048576 bytes in all]",
             "json_input: request of 1048577 bytes dropped",
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

}  // namespace
}  // namespace orx::test
