// The service with CURVE on its TCP channels, against real clients on
// 127.0.0.1: who gets through, what is refused, counted and logged, and the
// key files a start refuses.
#include "support/service_fixture.hpp"

#include <gmock/gmock.h>

#include <cmath>

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

TEST(e2e_security, secret_key_open_to_the_group_fails_check_and_start) {
    for (const std::string flags : {"-tc", "-c"}) {
        const auto open_to_group = [](service_configuration& c) {
            c.use_curve();
            ::chmod((c.folder + "/service.key_secret").c_str(), 0640);
        };
        service s(open_to_group, true, {flags, "@"});
        EXPECT_EQ(s.process->wait(), 1) << flags;
        EXPECT_THAT(s.process->error_output(),
                    HasSubstr("service.key_secret: is open to group or others (mode 0640)"));
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
