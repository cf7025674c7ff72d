// The service with CURVE on its TCP channels, against real clients on
// 127.0.0.1: who gets through, what is refused, counted and logged, and the
// key files a start refuses.
#include "support/service_fixture.hpp"

#include <gmock/gmock.h>

#include <cmath>
#include <filesystem>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace {

using namespace orx::test;
using ::testing::HasSubstr;

// The number after the first `label` in the text; not a number without one.
double number_after(const std::string& text, const std::string& label) {
    return text.find(label) == text.npos ? std::nan("") : std::stod(text.substr(text.find(label) + label.size()));
}

TEST(e2e_security, only_authorized_keys_pass_and_every_refusal_is_counted_and_logged) {
    service s([](service_configuration& c) {
        c.use_curve();
        c.statistics_textfile = c.folder + "/prom";
    });
    // Plain clients and strangers on every channel: each is refused in the
    // handshake, before its socket type matters, so a PUSH stands for any client.
    const auto stranger = orx::libs::core::zmq::generate_curve_key_pair();
    std::vector<zmq::socket_t> refused;
    for (const bool plain : {true, false})
        for (const auto& channel : service_configuration::bound_channels) {
            auto& client = refused.emplace_back(s.context, zmq::socket_type::push);
            client.set(zmq::sockopt::linger, 0);
            if (!plain)
                set_curve(client, stranger, &s.config.curve->service.public_key);
            client.connect(s.config.endpoint(channel));
        }

    ASSERT_TRUE(s.wait_until_converting());
    send(s.requests, {frames::reboot_request});
    EXPECT_THAT(next(s.raw_downlink), ::testing::MatchesRegex("#win " + frames::reboot_downlink));
    EXPECT_THAT(next(s.debug), HasSubstr("&tarnwick:"));

    // The strangers are named by their address, a plain client by the channel's
    // endpoint; the strangers' refusals share one warning, but each counts.
    std::vector<std::string> warnings{"connection refused from 127.0.0.1: key " +
                                      orx::libs::core::zmq::to_z85(stranger.public_key) + " is not authorized"};
    for (const auto& channel : service_configuration::bound_channels)
        warnings.push_back("connection refused from " + s.config.endpoint(channel) + ": ");
    for (const auto& w : warnings)
        EXPECT_TRUE(s.logged(w)) << w;
    s.process->signal(SIGTERM);
    ASSERT_EQ(s.process->wait(), 0);
    EXPECT_GT(number_after(read_file(s.config.statistics_textfile), "\ntarnwick_connections_refused_total "),
              warnings.size());
}

// A TCP connection to the port of a channel on 127.0.0.1; -1 when it fails.
int connect_tcp(const std::string& endpoint) {
    sockaddr_in address{AF_INET,
                        htons(static_cast<uint16_t>(std::stoi(endpoint.substr(endpoint.rfind(':') + 1)))),
                        {htonl(INADDR_LOOPBACK)},
                        {}};
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return fd;
    ::close(fd);
    return -1;
}

// A TCP connection to the channel's port that sends `payload`, then hangs up or waits until the
// service closes it; false when it is still open after the bound.
bool closed_by_service(const std::string& endpoint, const std::string& payload, bool hang_up) {
    const int fd = connect_tcp(endpoint);
    bool closed =
        fd >= 0 && ::send(fd, payload.data(), payload.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(payload.size());
    for (char greeting[64]; closed && !hang_up;) {
        pollfd readable{fd, POLLIN, 0};
        if (::poll(&readable, 1, 15000) != 1)
            closed = false;
        else if (::recv(fd, greeting, sizeof greeting, 0) <= 0)
            break;
    }
    ::close(fd);
    return closed;
}

// Whatever an unauthorized peer sends instead of a CURVE handshake, or nothing at all, its
// connection is closed, warned about and counted once; one such peer per channel, since warnings
// are per address. Authorized clients go on being served, and one that leaves is no refusal.
TEST(e2e_security, anything_but_a_handshake_is_refused_closed_and_counted) {
    service s([](service_configuration& c) {
        c.use_curve();
        c.statistics_textfile = c.folder + "/prom";
    });
    ASSERT_TRUE(s.wait_until_converting());
    {
        zmq::socket_t leaving(s.context, zmq::socket_type::sub);
        set_curve(leaving, s.config.curve->client, &s.config.curve->service.public_key);
        leaving.set(zmq::sockopt::subscribe, "");
        leaving.connect(s.config.json_output);
        std::string document = nothing;
        for (int i = 0; i < 50 && document == nothing; ++i) {
            send(s.frames, {frames::heartbeat});
            document = next(leaving, std::chrono::milliseconds(100));
        }
        ASSERT_NE(document, nothing);
    }
    struct peer {
        const char* channel;
        std::string payload;
        bool hang_up;
    };
    // clang-format off
    const peer peers[] = {
        {"binary.input", "GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", false},
        {"binary.tmp_input", std::string("\xFF\0\0\0\0\0\0\0\x01\x7F\x01\x08\0\0", 14), false},  // ZMTP 2.0
        {"binary.output", "\x16\x03\x01\x02\x00\x01" + std::string(500, '\xAB'), false},            // TLS-like bytes
        {"json.input", "", false},                                                               // idles
        {"json.output", "", true}};                                                              // hangs up
    // clang-format on
    for (const auto& p : peers) {
        const auto endpoint = s.config.endpoint(p.channel);
        EXPECT_TRUE(closed_by_service(endpoint, p.payload, p.hang_up)) << p.channel;
        EXPECT_TRUE(s.logged("connection refused from " + endpoint + ": ")) << p.channel;
    }
    ASSERT_TRUE(s.wait_until_converting());
    s.process->signal(SIGTERM);
    ASSERT_EQ(s.process->wait(), 0);
    EXPECT_EQ(number_after(read_file(s.config.statistics_textfile), "\ntarnwick_connections_refused_total "),
              std::size(peers));
}

// A peer that holds ten idle connections more than the service has descriptors left (70 in all):
// the failed accepts are warned about, and since each connection is closed after the handshake interval, an
// authorized client that connects meanwhile is served.
TEST(e2e_security, a_peer_holding_every_descriptor_is_warned_about_and_outlasted) {
    service s([](service_configuration& c) { c.use_curve(); }, true, {"-c", "@"}, false);
    s.process = std::make_unique<child_process>(
        "/bin/sh",
        std::vector<std::string>{"-c", "ulimit -n 70 && exec \"$0\" -c \"$1\"", program("tarnwick"), s.config.path},
        s.dir.path());
    ASSERT_TRUE(s.wait_until_converting());
    const auto open =
        std::distance(std::filesystem::directory_iterator("/proc/" + std::to_string(s.process->pid()) + "/fd"), {});
    std::vector<int> held;
    for (auto i = open; i < 70 + 10; ++i)
        held.push_back(connect_tcp(s.config.binary_input));
    EXPECT_TRUE(s.logged("cannot accept connections on " + s.config.binary_input + ": Too many open files"));
    zmq::socket_t late(s.context, zmq::socket_type::push);
    late.set(zmq::sockopt::linger, 0);
    set_curve(late, s.config.curve->client, &s.config.curve->service.public_key);
    late.connect(s.config.binary_input);
    send(late, {frames::heartbeat});
    EXPECT_EQ(next(s.documents, std::chrono::seconds(20)), frames::heartbeat_obsolete);
    for (const int fd : held)
        ::close(fd);
}

TEST(e2e_security, secret_key_open_to_the_group_fails_check_and_start) {
    for (const std::string flags : {"-tc", "-c"}) {
        const auto open_to_group = [](service_configuration& c) {
            c.use_curve();
            ::chmod((c.folder + "/service.key_secret").c_str(), 0640);
        };
        service s(open_to_group, true, {flags, "@"});
        EXPECT_EQ(s.process->wait(), 1) << flags;
        EXPECT_THAT(s.process->error_output(), HasSubstr("service.key_secret: is open to group or others (mode 0640)"));
    }
}

TEST(e2e_security, installed_unit_is_sandboxed) {
    if (::access("/usr/bin/systemd-analyze", X_OK) != 0)
        GTEST_SKIP() << "no systemd-analyze";
    temp_dir dir;
    child_process analyze("/usr/bin/systemd-analyze",
                          {"security", "--offline=true", TARNWICK_SOURCE_DIR "/etc/tarnwick.service"}, dir.path());
    ASSERT_EQ(analyze.wait(std::chrono::seconds(30)), 0) << analyze.error_output();
    EXPECT_LE(number_after(analyze.standard_output(), "for tarnwick.service: "), 2.5) << analyze.standard_output();
}

}  // namespace
