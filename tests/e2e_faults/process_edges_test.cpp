// The process at its edges: instances started together, a standard error
// nobody reads any more, and endpoints `-t` must name as never working.

#include "support/service_fixture.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>

namespace {

using namespace orx::test;

// Every channel on an ipc path in the folder, local debug on; the channel named
// gets the endpoint given instead.
std::string configuration(const temp_dir& dir, const std::string& key = "", const std::string& endpoint = "") {
    auto at = [&](const std::string& channel) { return '"' + (channel == key ? endpoint : dir.ipc(channel)) + '"'; };
    std::ofstream(dir.file("c.json")) << "{\"system\":{\"pidfile\":\"" << dir.file("pid") << "\",\"debug_port\":"
        << at("system.debug_port") << ",\"local_debug\":true},\"binary\":{\"input\":" << at("binary.input")
        << ",\"tmp_input\":" << at("binary.tmp_input") << ",\"output\":" << at("binary.output") << ",\"tmp_output\":"
        << at("binary.tmp_output") << "},\"json\":{\"input\":" << at("json.input") << ",\"output\":"
        << at("json.output") << "},\"parameters\":{\"config_file\":\"" TARNWICK_SOURCE_DIR "/etc/parameters.json\"}}";
    return dir.file("c.json");
}

// The service's debug log, taken as it comes so that a stop never waits to deliver it.
struct debug_log {
    explicit debug_log(const temp_dir& dir) {
        socket.set(zmq::sockopt::rcvtimeo, 10000);
        socket.bind(dir.ipc("system.debug_port"));
    }
    bool logs(const std::string& text) {
        for (zmq::message_t line; socket.recv(line);)
            if (line.to_string().find(text) != std::string::npos)
                return true;
        return false;
    }
    zmq::context_t context;
    zmq::socket_t socket{context, zmq::socket_type::pull};
};

// The pid file lock alone decides: the live pid 1 in the file refuses nothing,
// and a start refused leaves the file as the running instance wrote it.
TEST(process_edges, of_instances_started_together_one_runs_whatever_the_pid_file_names) {
    temp_dir dir;
    debug_log log(dir);
    const std::vector<std::string> arguments{"-c", configuration(dir)};
    std::ofstream(dir.file("pid")) << 1;
    child_process a(program("tarnwick"), arguments, dir.path()), b(program("tarnwick"), arguments, dir.path());
    pollfd ended[] = {{a.pidfd(), POLLIN, 0}, {b.pidfd(), POLLIN, 0}};
    ASSERT_GE(::poll(ended, 2, 10000), 1);
    auto& refused = ended[0].revents ? a : b;
    auto& running = ended[0].revents ? b : a;
    EXPECT_EQ(refused.wait(), 1);
    EXPECT_NE(refused.error_output().find("Process is running"), std::string::npos);
    ASSERT_TRUE(log.logs("orx::application::application"));
    child_process late(program("tarnwick"), arguments, dir.path());
    EXPECT_EQ(late.wait(), 1);
    EXPECT_EQ(read_file(dir.file("pid")), std::to_string(running.pid()));
    running.signal(SIGTERM);
    EXPECT_EQ(running.wait(), 0);
}

TEST(process_edges, standard_error_closed_by_its_reader_is_passed_over) {
    temp_dir dir;
    debug_log log(dir);
    const auto pipe = dir.file("stderr");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    child_process service("/bin/sh", {"-c", "exec \"$0\" -c \"$1\" 2>\"$2\"", program("tarnwick"), configuration(dir),
                                      pipe}, dir.path());
    // A first line shows that the service holds the writing end; then the reader goes.
    pollfd line{reader, POLLIN, 0};
    ASSERT_EQ(::poll(&line, 1, 10000), 1);
    ::close(reader);
    zmq::socket_t requests(log.context, zmq::socket_type::push);
    requests.connect(dir.ipc("json.input"));
    requests.send(zmq::str_buffer(R"({"mac":"001122aabbcc","message":{"reboot":{}}})"));
    EXPECT_TRUE(log.logs("json_input"));
    service.signal(SIGTERM);
    EXPECT_EQ(service.wait(), 0);
}

// The problem is empty for an endpoint that may work.
struct endpoint_case { std::string channel, endpoint, problem; };

class check_option : public ::testing::TestWithParam<endpoint_case> {};

TEST_P(check_option, names_the_channel_of_an_endpoint_that_can_never_work) {
    const auto& c = GetParam();
    temp_dir dir;
    child_process check(program("tarnwick"), {"-t", "-c", configuration(dir, c.channel, c.endpoint)}, dir.path());
    EXPECT_EQ(check.wait(), c.problem.empty() ? 0 : 1);
    EXPECT_EQ(check.standard_output() + check.error_output(),
              c.problem.empty() ? "configuration ok\n"
                                : "tarnwick: " + c.channel + ": endpoint \"" + c.endpoint + "\" cannot work: " +
                                      c.problem + "\n");
}

INSTANTIATE_TEST_SUITE_P(endpoints, check_option, ::testing::Values(
    endpoint_case{"binary.input", "bogus://x", "unknown transport \"bogus\""},
    endpoint_case{"json.output", "", "the endpoint is empty"},
    endpoint_case{"binary.tmp_output", "tcp://999.1.1.1:5", "\"999.1.1.1\" is neither an address nor a host name"},
    endpoint_case{"system.debug_port", "tcp://localhost:65536", "port \"65536\" is not a number from 0 to 65535"},
    endpoint_case{"binary.output", "ipc://", "no address"},
    endpoint_case{"binary.tmp_output", "tcp://127.0.0.1;gateway-1.local:7001", ""},
    endpoint_case{"json.input", "tcp://[::1]:*", ""},
    endpoint_case{"binary.output", "ws://*:7003", ""}));

}  // namespace
