// The running service against input that is too long or not a request, and a raw
// output whose peer connects late: what it drops, logs, counts and sends.

#include "support/service_fixture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
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
    temp_dir dir;
    const auto ipc = [&](const char* name) { return dir.ipc(name); };
    std::ofstream(dir.file("tarnwick.json"))
        << R"({"system": {"pidfile": ")" << dir.file("pid") << R"(", "debug_port": ")" << ipc("debug")
        << R"(", "local_debug": true}, "binary": {"input": ")" << ipc("bin") << R"(", "tmp_input": ")"
        << ipc("raw") << R"(", "output": ")" << ipc("bout") << R"(", "tmp_output": ")" << ipc("rawout")
        << R"("}, "json": {"input": ")" << ipc("json") << R"(", "output": ")" << ipc("jout")
        << R"("}, "parameters": {"config_file": ")" << TARNWICK_SOURCE_DIR << R"(/etc/parameters.json"},
        "statistics": {"textfile": ")" << dir.file("stats.prom") << R"("}})";

    zmq::context_t context;
    zmq::socket_t debug(context, zmq::socket_type::pull), frames(context, zmq::socket_type::push),
        requests(context, zmq::socket_type::push), raw_output(context, zmq::socket_type::pull);
    for (auto* s : {&debug, &frames, &requests, &raw_output})
        s->set(zmq::sockopt::linger, 0);
    debug.bind(ipc("debug"));  // takes the debug lines, so that the stop does not wait for them
    frames.connect(ipc("bin"));
    requests.connect(ipc("json"));
    child_process service(program("tarnwick"), {"-c", dir.file("tarnwick.json")}, dir.path());

    // The longest frame is 4 + 12 + 4 + 2 * 65535 characters; a request at most 1 MiB.
    for (const auto& text : {frame(131090), frame(131091)})
        ASSERT_TRUE(frames.send(zmq::buffer(text)));
    for (const auto& text : {std::string("null"), request(1048576), request(1048577), reboot("0000000000aa")})
        ASSERT_TRUE(requests.send(zmq::buffer(text)));
    const std::vector<std::string> expected = {
        "binary_input: 00066553F100007BFFFF010E0000",                // the longest frame is taken
        "0000 [... cut, 131090 bytes in all]",                       // and quoted short
        "binary_input: frame of 131091 bytes dropped",                // a longer one is not
        "json_input: {\"pad\":\"aaaa",                               // the longest request is taken
        "aaaa [... cut, 1048576 bytes in all]",
        "json_input: request of 1048577 bytes dropped",
        "Request is not a JSON object",                              // null
        "tmp_output: 1 downlink messages dropped so far",            // nobody on the raw output
    };
    const auto all_logged = [&](const std::string& log) {
        return std::all_of(expected.begin(), expected.end(), [&](const auto& e) { return log.find(e) != log.npos; });
    };
    EXPECT_TRUE(service.wait_for_error_output(all_logged, 20s));
    const auto log = service.error_output();
    for (const auto& e : expected)
        EXPECT_NE(log.find(e), log.npos) << "missing: " << e;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LT(line.size(), 1200u) << line.substr(0, 100);

    // A peer that comes later gets only what was sent once it is there.
    raw_output.bind(ipc("rawout"));
    raw_output.set(zmq::sockopt::rcvtimeo, 200);
    zmq::message_t first;
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (!raw_output.recv(first) && std::chrono::steady_clock::now() < end)
        ASSERT_TRUE(requests.send(zmq::buffer(reboot("0000000000bb"))));
    EXPECT_THAT(first.to_string(), HasSubstr("FFFE0000BB"));

    service.signal(SIGTERM);
    ASSERT_EQ(service.wait(10s), 0);
    const auto statistics = read_file(dir.file("stats.prom"));
    // null, the frame too long and the longest one (its size field) failed to convert
    EXPECT_THAT(statistics, HasSubstr("tarnwick_conversion_failures_total 3\n"));
    EXPECT_THAT(statistics, HasSubstr("tarnwick_json_parse_failures_total 1\n"));
    EXPECT_THAT(statistics, Not(HasSubstr("tarnwick_tmp_output_dropped_total 0\n")));
}

}  // namespace
}  // namespace orx::test
