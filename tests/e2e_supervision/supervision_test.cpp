// The service under a service manager: readiness, watchdog and stop told over
// a notify socket, the parameter file reloaded on SIGHUP while frames flow, and
// how long each input has been quiet.
#include "statistics.hpp"
#include "support/service_fixture.hpp"

#include <gmock/gmock.h>

#include <sys/socket.h>
#include <sys/un.h>

#include <regex>

namespace {

using namespace orx::test;
using namespace std::chrono;
using ::testing::HasSubstr;

// Every channel on an ipc path in the folder ("@" in `json_output` stands for
// it); parameters from the folder's parameters.json, tx_power (number 5) in `format`.
std::string configure(const temp_dir& dir, const std::string& json_output, const std::string& format = "UINT") {
    std::ofstream(dir.file("parameters.json")) << R"({"hw_param":[{"num":5,"jname":"tx_power","format":")" + format
                                               + R"(","size":1}]})";
    const std::string text = R"({"system":{"pidfile":"@/pid","debug_port":"ipc://@/debug","local_debug":true},
        "binary":{"input":"ipc://@/in","tmp_input":"ipc://@/raw","output":"ipc://@/out","tmp_output":"ipc://@/r"},
        "json":{"input":"ipc://@/json_in","output":"JSON"},"parameters":{"config_file":"@/parameters.json"},
        "statistics":{"textfile":"@/stats.prom"}})";
    std::ofstream(dir.file("c.json")) << std::regex_replace(std::regex_replace(text, std::regex("JSON"), json_output),
                                                            std::regex("@"), dir.path());
    return dir.file("c.json");
}

// The service manager's end: a unix datagram socket named by NOTIFY_SOCKET, with
// a watchdog of 200 ms asked for.
struct notify_socket {
    explicit notify_socket(const std::string& path) {
        sockaddr_un address{AF_UNIX, {}};
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::setenv("NOTIFY_SOCKET", path.c_str(), 1);
        ::setenv("WATCHDOG_USEC", "200000", 1);
        ::unsetenv("WATCHDOG_PID");
    }
    ~notify_socket() { ::unsetenv("NOTIFY_SOCKET"), ::close(fd); }
    // The notifications that arrive within the bound, one a line; ends early
    // after the one that holds `until` (by default none does).
    std::string read(milliseconds bound, const std::string& until = "\n\n") {
        std::string told;
        char text[4096];
        for (auto end = steady_clock::now() + bound; told.find(until) == told.npos;) {
            pollfd ready{fd, POLLIN, 0};
            const auto left = duration_cast<milliseconds>(end - steady_clock::now());
            if (::poll(&ready, 1, static_cast<int>(std::max(left.count(), 0L))) <= 0)
                break;
            told += std::string(text, std::max(::recv(fd, text, sizeof text, 0), 0L)) + '\n';
        }
        return told;
    }
    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
};

TEST(supervision, ready_once_every_channel_exists_then_kept_alive_until_stopping) {
    temp_dir dir;
    notify_socket manager(dir.file("notify"));
    zmq::context_t context;
    zmq::socket_t debug(context, zmq::socket_type::pull), holder(context, zmq::socket_type::pull);
    debug.bind(dir.ipc("debug"));
    holder.bind("tcp://127.0.0.1:*");
    const auto json_output = holder.get(zmq::sockopt::last_endpoint);
    child_process service(program("tarnwick"), {"-c", configure(dir, json_output)}, dir.path());
    ASSERT_TRUE(service.wait_for_error_output([&](auto e) { return e.find("bind to " + json_output) != e.npos; }));
    EXPECT_THAT(manager.read(0ms), ::testing::Not(HasSubstr("READY=1")));
    holder.close();
    EXPECT_THAT(manager.read(5s, "READY=1"), HasSubstr("READY=1\nSTATUS=statistics: frames received 0,"));
    const auto told = manager.read(2s);
    // Pings of 11 characters; every 100 ms makes 20.
    EXPECT_THAT((told.size() - std::regex_replace(told, std::regex("WATCHDOG=1\n"), "").size()) / 11,
                ::testing::AllOf(::testing::Ge(8u), ::testing::Le(40u)));
    service.signal(SIGTERM);
    EXPECT_THAT(manager.read(5s, "STOPPING=1"), HasSubstr("STOPPING=1"));
    EXPECT_EQ(service.wait(), 0);
}

TEST(supervision, sighup_reloads_parameters_between_frames_and_keeps_them_when_refused) {
    temp_dir dir;
    zmq::context_t context;
    zmq::socket_t debug(context, zmq::socket_type::pull), frames(context, zmq::socket_type::push),
        documents(context, zmq::socket_type::sub);
    debug.bind(dir.ipc("debug"));
    frames.connect(dir.ipc("in"));
    documents.set(zmq::sockopt::subscribe, "~param");
    documents.connect(dir.ipc("json_out"));
    child_process service(program("tarnwick"), {"-c", configure(dir, "ipc://@/json_out")}, dir.path());
    // Sends frames first..last-1 reporting tx_power 0x80 + i, and tells how each was decoded, in frame
    // order: U unsigned (128 + i), I signed (i - 128), - not converted.
    const auto convert = [&](int first, int last, milliseconds bound = 5s) {
        std::string decoded(last - first, '-');
        for (int i = first; i < last; ++i) {
            char frame[64];
            frames.send(zmq::buffer(frame, std::snprintf(frame, sizeof frame, "00066553F100007B0012010E000005000E0501"
                                                                                "%02X0011223344556677", 0x80 + i)));
        }
        zmq::pollitem_t item{documents.handle(), 0, ZMQ_POLLIN, 0};
        for (zmq::message_t document; decoded.find('-') != decoded.npos && zmq::poll(&item, 1, bound) > 0;) {
            const auto text = documents.recv(document) ? document.to_string() : "";
            const int value = std::stoi(text.substr(text.find("\"tx_power\":") + 11));
            if (const int i = value < 0 ? value + 128 : value - 128; i >= first && i < last)
                decoded[i - first] = value < 0 ? 'I' : 'U';
        }
        return decoded;
    };
    // Up and subscribed once frame -1 (127 either way) comes back.
    for (const auto end = steady_clock::now() + 10s; steady_clock::now() < end && convert(-1, 0, 200ms) != "U";) {
    }
    EXPECT_EQ(convert(0, 10), "UUUUUUUUUU");
    configure(dir, "ipc://@/json_out", "INT");
    service.signal(SIGHUP);
    EXPECT_THAT(convert(10, 30), ::testing::MatchesRegex("U*I*"));
    EXPECT_TRUE(service.wait_for_error_output([](auto e) { return e.find("reload: 1 parameters from") != e.npos; }));
    EXPECT_EQ(convert(30, 40), "IIIIIIIIII");
    configure(dir, "ipc://@/json_out", "UINT\"");
    service.signal(SIGHUP);
    EXPECT_TRUE(service.wait_for_error_output([](auto e) { return e.find("stay: ") != e.npos && e.find(
        "Parameter config file is invalid") != e.npos; }));
    EXPECT_EQ(convert(40, 50), "IIIIIIIIII");
    service.signal(SIGTERM);
    ASSERT_EQ(service.wait(), 0);
    EXPECT_THAT(read_file(dir.file("stats.prom")), ::testing::ContainsRegex("\ntarnwick_seconds_since_last_frame "
        "[0-9]+\n(.|\n)*\ntarnwick_seconds_since_last_request [0-9]+\n"));
}

TEST(supervision, quiet_inputs_are_timed_from_their_last_arrival_or_the_start) {
    const orx::statistics::clock::time_point start{};
    orx::statistics counts(start);
    EXPECT_EQ(counts.liveness(start + 3s), ", last frame never, last request never");
    EXPECT_THAT(counts.prometheus_text(start + 3s), HasSubstr("\ntarnwick_seconds_since_last_request 3\n"));
    counts.on_frame_received(start + 5s);
    counts.on_request_received(start + 6s);
    EXPECT_EQ(counts.liveness(start + 9900ms), ", last frame 4 s ago, last request 3 s ago");
    EXPECT_THAT(counts.prometheus_text(start + 9900ms), HasSubstr("\ntarnwick_seconds_since_last_frame 4\n"));
}

}  // namespace
