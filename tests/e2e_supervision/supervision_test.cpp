// The service under a service manager: readiness, watchdog and stop told over
// a notify socket, the parameter file reloaded on SIGHUP while frames flow and
// requests go on being numbered, and how long each input has been quiet.
#include "statistics.hpp"
#include "support/service_fixture.hpp"

#include <gmock/gmock.h>

#include <algorithm>

#include <sys/socket.h>
#include <sys/un.h>

namespace {

using namespace orx::test;
using namespace std::chrono;
using ::testing::HasSubstr;

// The service manager's end: a unix datagram socket named by NOTIFY_SOCKET, with a watchdog of
// one second asked for unless told otherwise; a service started while it exists inherits both.
struct notify_socket {
    explicit notify_socket(const char* watchdog_usec = "1000000") {
        sockaddr_un address{AF_UNIX, {}};
        dir.file("notify").copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::setenv("NOTIFY_SOCKET", address.sun_path, 1);
        ::setenv("WATCHDOG_USEC", watchdog_usec, 1);
        ::unsetenv("WATCHDOG_PID");
    }
    ~notify_socket() { ::unsetenv("NOTIFY_SOCKET"), ::close(fd); }
    // The notifications that arrive within the bound, one a line; ends early once `until` has
    // come `times` times (by default it never comes). Keeps when each watchdog ping came.
    std::string read(milliseconds bound, const std::string& until = "\n\n", std::size_t times = 1) {
        std::string told;
        char text[4096];
        for (auto end = steady_clock::now() + bound; occurrences(told, until) < times;) {
            pollfd ready{fd, POLLIN, 0};
            const auto left = duration_cast<milliseconds>(end - steady_clock::now());
            if (::poll(&ready, 1, static_cast<int>(std::max(left.count(), 0L))) <= 0)
                break;
            const std::string one(text, std::max(::recv(fd, text, sizeof text, 0), 0L));
            if (one == "WATCHDOG=1")
                pings.push_back(steady_clock::now());
            told += one + '\n';
        }
        return told;
    }
    temp_dir dir;
    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    std::vector<steady_clock::time_point> pings;
};

TEST(supervision, ready_once_every_channel_exists_then_kept_alive_until_stopping) {
    // The JSON output's port is held by another socket until the service has tried it.
    zmq::context_t context;
    zmq::socket_t holder(context, zmq::socket_type::pull);
    holder.bind("tcp://127.0.0.1:*");
    const auto busy = holder.get(zmq::sockopt::last_endpoint);
    notify_socket manager;
    service s([&](service_configuration& c) { c.endpoint("json.output") = busy; });
    ASSERT_TRUE(s.logged("bind to " + busy));
    EXPECT_THAT(manager.read(0ms), ::testing::Not(HasSubstr("READY=1")));
    holder.close();
    EXPECT_THAT(manager.read(5s, "READY=1"), HasSubstr("READY=1\nSTATUS=statistics: frames received 0,"));
    // Pinged at half the interval asked for, so that one late turn of the loop is not yet a
    // missed ping. The median spacing stays well under the interval however slow the build.
    manager.pings.clear();
    manager.read(10s, "WATCHDOG=1\n", 6);
    ASSERT_EQ(manager.pings.size(), 6u);
    std::vector<int64_t> spacings;  // in milliseconds
    for (std::size_t i = 1; i < manager.pings.size(); ++i)
        spacings.push_back(duration_cast<milliseconds>(manager.pings[i] - manager.pings[i - 1]).count());
    std::nth_element(spacings.begin(), spacings.begin() + 2, spacings.end());
    EXPECT_LT(spacings[2], 750) << "the median of " << ::testing::PrintToString(spacings);
    s.process->signal(SIGTERM);
    EXPECT_THAT(manager.read(5s, "STOPPING=1"), HasSubstr("STOPPING=1"));
    EXPECT_EQ(s.process->wait(), 0);
}

// A manager that never reads (its queue fills with watchdog pings within milliseconds) or asks
// for a watchdog interval too long to keep: the service starts, converts and stops as ever.
struct manager_case {
    const char* watchdog_usec;
    std::string logged;
};
void PrintTo(const manager_case& c, std::ostream* out) { *out << "WATCHDOG_USEC=" << c.watchdog_usec; }
class odd_manager : public ::testing::TestWithParam<manager_case> {};
TEST_P(odd_manager, neither_holds_up_conversion_nor_the_stop) {
    notify_socket manager(GetParam().watchdog_usec);
    service s;
    ASSERT_TRUE(s.wait_until_converting());
    EXPECT_TRUE(s.logged(GetParam().logged));
    ASSERT_TRUE(s.wait_until_converting());
    s.process->signal(SIGTERM);
    EXPECT_EQ(s.process->wait(), 0);
}
// clang-format off
INSTANTIATE_TEST_SUITE_P(supervision, odd_manager, ::testing::Values(
    manager_case{"2000", "supervision: 1 notifications dropped so far"},
    manager_case{"9223372036854775807", "watchdog interval of 9223372036854775807 us too long to keep, no watchdog"},
    manager_case{"18446744073709551614", "watchdog interval of 18446744073709551614 us too long to keep"}));
// clang-format on

// The parameter file with tx_power (number 5) read as `format`.
void write_parameters(const std::string& path, const std::string& format) {
    std::ofstream(path) << R"({"hw_param":[{"num":5,"jname":"tx_power","format":")" << format << R"(","size":1}]})";
}

TEST(supervision, sighup_reloads_parameters_between_frames_and_keeps_them_when_refused) {
    service s([](service_configuration& c) {
        write_parameters(c.parameters = c.folder + "/parameters.json", "UINT");
        c.statistics_textfile = c.folder + "/stats.prom";
    });
    ASSERT_TRUE(s.wait_until_converting());
    // Sends frames first..last-1 reporting tx_power 0x80 + i, and tells how each was decoded, in
    // frame order: U unsigned (128 + i), I signed (i - 128), - not converted.
    const auto convert = [&](int first, int last) {
        std::string decoded(last - first, '-');
        for (int i = first; i < last; ++i) {
            char frame[64];
            std::snprintf(frame, sizeof frame, "00066553F100007B0012010E000005000E0501%02X0011223344556677", 0x80 + i);
            send(s.frames, {frame});
        }
        for (std::string d; decoded.find('-') != d.npos && (d = next(s.documents)) != nothing;)
            if (const auto at = d.find("\"tx_power\":"); at != d.npos) {
                const int value = std::stoi(d.substr(at + 11)), i = value < 0 ? value + 128 : value - 128;
                if (i >= first && i < last)
                    decoded[i - first] = value < 0 ? 'I' : 'U';
            }
        return decoded;
    };
    EXPECT_EQ(convert(0, 10), "UUUUUUUUUU");
    write_parameters(s.config.parameters, "INT");
    s.process->signal(SIGHUP);
    EXPECT_THAT(convert(10, 30), ::testing::MatchesRegex("U*I*"));
    EXPECT_TRUE(s.logged("reload: 1 parameters from"));
    EXPECT_EQ(convert(30, 40), "IIIIIIIIII");
    write_parameters(s.config.parameters, "UINT\"");
    s.process->signal(SIGHUP);
    EXPECT_TRUE(s.logged("the parameters in use stay: ") && s.logged("Parameter config file is invalid"));
    EXPECT_EQ(convert(40, 50), "IIIIIIIIII");
    s.process->signal(SIGTERM);
    ASSERT_EQ(s.process->wait(), 0);
    EXPECT_THAT(
        read_file(s.config.statistics_textfile),
        ::testing::ContainsRegex(
            "\ntarnwick_seconds_since_last_frame [0-9]+\n(.|\n)*\ntarnwick_seconds_since_last_request [0-9]+\n"));
}

// A reload replaces the converter; downlink messages go on being numbered where they were.
TEST(supervision, sighup_reload_goes_on_numbering_downlink_messages) {
    service s;
    ASSERT_TRUE(s.wait_until_converting());
    // The sequence number of the next reboot request's downlink message. Requests go until the
    // output's subscription has reached the service.
    const auto number = [&] {
        for (int i = 0; i < 50; ++i) {
            send(s.requests, {frames::reboot_request});
            if (const auto message = next(s.downlink, 500ms); message != nothing)
                return std::stoi(message.substr(4, 2), nullptr, 16);
        }
        return -1;
    };
    const int before = number();
    ASSERT_GE(before, 0);
    s.process->signal(SIGHUP);
    ASSERT_TRUE(s.logged("reload: "));
    EXPECT_EQ(number(), (before + 1) % 256);
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
