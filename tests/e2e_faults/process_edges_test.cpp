// The process at its edges: instances started together, a standard error
// nobody reads any more, a low descriptor limit, and endpoints `-t` must name
// as never working.

#include "support/service_fixture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>

namespace {

using namespace orx::test;

// The pid file lock alone decides: the live pid 1 in the file refuses nothing,
// and a start refused leaves the file as the running instance wrote it.
TEST(process_edges, of_instances_started_together_one_runs_whatever_the_pid_file_names) {
    service s([](service_configuration& c) { std::ofstream(c.pidfile) << 1; });
    auto other = std::make_unique<child_process>(program("tarnwick"), s.arguments, s.dir.path());
    pollfd ended[] = {{s.process->pidfd(), POLLIN, 0}, {other->pidfd(), POLLIN, 0}};
    ASSERT_GE(::poll(ended, 2, 10000), 1);
    if (ended[0].revents)
        std::swap(s.process, other);  // `other` is the one refused
    EXPECT_EQ(other->wait(), 1);
    EXPECT_NE(other->error_output().find("Process is running"), std::string::npos);
    ASSERT_TRUE(s.logged("orx::application::application"));
    child_process late(program("tarnwick"), s.arguments, s.dir.path());
    EXPECT_EQ(late.wait(), 1);
    EXPECT_EQ(read_file(s.config.pidfile), std::to_string(s.process->pid()));
    s.process->signal(SIGTERM);
    EXPECT_EQ(s.process->wait(), 0);
}

TEST(process_edges, standard_error_closed_by_its_reader_is_passed_over) {
    service s({}, true, {"-c", "@"}, false);
    const auto pipe = s.dir.file("error_pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    s.process = std::make_unique<child_process>(
        "/bin/sh",
        std::vector<std::string>{"-c", "exec \"$0\" -c \"$1\" 2>\"$2\"", program("tarnwick"), s.config.path, pipe},
        s.dir.path());
    // A first line shows that the service holds the writing end; then the reader goes.
    pollfd line{reader, POLLIN, 0};
    ASSERT_EQ(::poll(&line, 1, 10000), 1);
    ::close(reader);
    send(s.requests, {frames::reboot_request});
    // Its debug log goes on: the request is taken.
    auto debug = next(s.debug);
    while (debug != nothing && debug.find("json_input") == std::string::npos)
        debug = next(s.debug);
    EXPECT_NE(debug, nothing);
    s.process->signal(SIGTERM);
    EXPECT_EQ(s.process->wait(), 0);
}

// Every connection holds a descriptor: a soft limit below the hard one is raised to it at start.
TEST(process_edges, soft_descriptor_limit_is_raised_to_the_hard_one) {
    service s({}, true, {"-c", "@"}, false);
    s.process = std::make_unique<child_process>(
        "/bin/sh",
        std::vector<std::string>{"-c", "ulimit -S -n 256 && ulimit -H -n 512 && exec \"$0\" -c \"$1\"",
                                 program("tarnwick"), s.config.path},
        s.dir.path());
    ASSERT_TRUE(s.wait_until_converting());
    EXPECT_THAT(read_file("/proc/" + std::to_string(s.process->pid()) + "/limits"),
                ::testing::ContainsRegex("Max open files +512 +512 "));
    EXPECT_TRUE(s.logged("descriptor limit 512"));
}

// The problem is empty for an endpoint that may work.
struct endpoint_case {
    std::string channel, endpoint, problem;
};

class check_option : public ::testing::TestWithParam<endpoint_case> {};

TEST_P(check_option, names_the_channel_of_an_endpoint_that_can_never_work) {
    const auto& c = GetParam();
    temp_dir dir;
    service_configuration config(dir);
    config.endpoint(c.channel) = c.endpoint;
    config.write();
    child_process check(program("tarnwick"), {"-t", "-c", config.path}, dir.path());
    EXPECT_EQ(check.wait(), c.problem.empty() ? 0 : 1);
    EXPECT_EQ(check.standard_output() + check.error_output(),
              c.problem.empty()
                  ? "configuration ok\n"
                  : "tarnwick: " + c.channel + ": endpoint \"" + c.endpoint + "\" cannot work: " + c.problem + "\n");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(endpoints, check_option, ::testing::Values(
    endpoint_case{"binary.input", "bogus://x", "unknown transport \"bogus\""},
    endpoint_case{"json.output", "", "the endpoint is empty"},
    endpoint_case{"binary.tmp_output", "tcp://999.1.1.1:5", "\"999.1.1.1\" is neither an address nor a host name"},
    endpoint_case{"system.debug_port", "tcp://localhost:65536", "port \"65536\" is not a number from 0 to 65535"},
    endpoint_case{"binary.output", "ipc://", "no address"},
    endpoint_case{"binary.tmp_output", "tcp://127.0.0.1;gateway-1.local:7001", ""},
    endpoint_case{"json.input", "tcp://[::1]:*", ""},
    // The port forms the socket code binds to a free port, only where the service binds.
    endpoint_case{"binary.output", "tcp://127.0.0.1:!", ""},
    endpoint_case{"binary.tmp_output", "tcp://127.0.0.1:!", "port \"!\" is not a number from 0 to 65535"},
    endpoint_case{"json.input", "tcp://127.0.0.1:*[50140-50100]",
                  "port \"*[50140-50100]\" is not a number from 0 to 65535, \"*\", \"!\" or a range \"[first-last]\""},
    endpoint_case{"binary.output", "ws://*:7003", ""}));
// clang-format on

}  // namespace
