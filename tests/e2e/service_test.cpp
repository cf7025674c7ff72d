#include "support/service_fixture.hpp"

#include "converter_utils.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>

namespace {

using namespace orx::test;
using ::testing::HasSubstr;

using service_test = service_run;

TEST_F(service_test, heartbeat_becomes_its_two_documents) {
    service_peers peers(m_config);
    auto service = start();
    ASSERT_EQ(peers.wait_until_converting(frames::heartbeat), frames::heartbeat_obsolete) << service->error_output();
    EXPECT_EQ(peers.json_document(), frames::heartbeat_event);
    peers.drain_json();

    peers.send_frame(frames::heartbeat);
    EXPECT_EQ(peers.json_document(), frames::heartbeat_obsolete);
    EXPECT_EQ(peers.json_document(), frames::heartbeat_event);
}

TEST_F(service_test, raw_two_part_message_converts_like_its_hex_frame) {
    service_peers peers(m_config);
    auto service = start();
    ASSERT_NE(peers.wait_until_converting(frames::heartbeat), "<nothing>") << service->error_output();
    peers.drain_json();

    std::string time_stamp, data;
    for (std::size_t i = 0; i < 12; i += 2)
        time_stamp += static_cast<char>(std::stoi(frames::heartbeat.substr(4 + i, 2), nullptr, 16));
    for (std::size_t i = 0; i < frames::heartbeat_payload.size(); i += 2)
        data += static_cast<char>(std::stoi(frames::heartbeat_payload.substr(i, 2), nullptr, 16));
    peers.send_raw({time_stamp, data});
    EXPECT_EQ(peers.json_document(), frames::heartbeat_obsolete);
    EXPECT_EQ(peers.json_document(), frames::heartbeat_event);

    // A single part, and a message of three parts, are dropped; the service goes on.
    peers.send_raw({time_stamp});
    peers.send_raw({time_stamp, data, data});
    peers.send_frame(frames::heartbeat);
    EXPECT_EQ(peers.json_document(), frames::heartbeat_obsolete);
    EXPECT_THAT(service->error_output(), HasSubstr("tmp_input: message of 3 parts dropped"));
}

TEST_F(service_test, reboot_request_goes_out_on_both_binary_outputs) {
    service_peers peers(m_config);
    auto service = start();
    ASSERT_NE(peers.wait_until_converting(frames::heartbeat), "<nothing>") << service->error_output();
    // The raw output is a PUSH to a bound PULL: it keeps every message. The
    // binary output is a PUB: requests are repeated until its subscriber is served.
    const std::string reboot = R"({"mac":"001122aabbcc","message":{"reboot":{}}})";
    std::string published = "<nothing>";
    int sent = 0;
    for (; sent < 50 && published == "<nothing>"; ++sent) {
        peers.send_request(reboot);
        published = peers.binary_output(std::chrono::milliseconds(200));
    }
    ASSERT_NE(published, "<nothing>");
    const auto sequence = published.substr(4, 2);
    EXPECT_EQ(published, "080E" + sequence + "000600010002FFFF001122FFFEAABBCC");
    EXPECT_EQ(peers.binary_tmp_output(), "#win 080E00000600010002FFFF001122FFFEAABBCC");
    for (int i = 1; i < sent; ++i)
        EXPECT_EQ(peers.binary_tmp_output(), "#win 080E" + orx::to_hex(i, 2) + "000600010002FFFF001122FFFEAABBCC");
}

TEST_F(service_test, bad_input_never_stops_the_service) {
    service_peers peers(m_config);
    auto service = start();
    ASSERT_NE(peers.wait_until_converting(frames::heartbeat), "<nothing>") << service->error_output();
    peers.drain_json();

    peers.send_frame("");
    peers.send_frame("garbage");
    peers.send_frame(std::string(1 << 20, 'G'));
    peers.send_frame(std::string(1 << 20, 'A'));  // a valid frame of unknown code: obsolete only
    peers.send_frame("0006" "6553F100007B" "0008" "0999000000000000");
    peers.send_request("not json");
    peers.send_request("");
    peers.send_request(R"({"mac":"xx1122aabbcc","message":{"reboot":{}}})");
    peers.send_request(R"([1,2])");
    EXPECT_THAT(peers.json_document(), HasSubstr("\"mac\":\"AAAAAAAAAAAA\""));
    EXPECT_THAT(peers.json_document(), HasSubstr("\"hex\":\"0999000000000000\""));
    peers.send_frame(frames::heartbeat);
    EXPECT_EQ(peers.json_document(), frames::heartbeat_obsolete);
    EXPECT_EQ(peers.json_document(), frames::heartbeat_event);
    const auto log = service->error_output();
    EXPECT_THAT(log, HasSubstr("Caught exeption"));
    EXPECT_THAT(log, HasSubstr("The message contain non-hex chars"));
    EXPECT_THAT(log, HasSubstr("json: 'not json', parse error: '"));
}

TEST_F(service_test, sigterm_stops_it_with_status_zero) {
    service_peers peers(m_config);
    auto service = start();
    ASSERT_NE(peers.wait_until_converting(frames::heartbeat), "<nothing>") << service->error_output();
    EXPECT_EQ(read_file(m_config.pidfile), std::to_string(service->pid()));
    service->signal(SIGTERM);
    EXPECT_EQ(service->wait(), 0);
    EXPECT_THAT(service->error_output(), HasSubstr("exit"));
}

TEST_F(service_test, endpoint_in_use_is_retried_until_free) {
    // An ipc path can be taken over, a TCP port cannot: hold a free loopback port.
    zmq::context_t context;
    auto squatter = std::make_unique<zmq::socket_t>(context, zmq::socket_type::pull);
    squatter->set(zmq::sockopt::linger, 0);
    squatter->bind("tcp://127.0.0.1:*");
    m_config.json_input = squatter->get(zmq::sockopt::last_endpoint);
    m_config.write();

    service_peers peers(m_config);
    auto service = start();
    // The channels before "json"/"input" exist, but nothing is received yet.
    peers.send_frame(frames::heartbeat);
    EXPECT_EQ(peers.json_document(std::chrono::milliseconds(1500)), "<nothing>");
    EXPECT_THAT(service->error_output(), HasSubstr("zmq::socket_impl::bind to " + m_config.json_input));

    squatter.reset();
    EXPECT_EQ(peers.wait_until_converting(frames::heartbeat), frames::heartbeat_obsolete);
}

TEST_F(service_test, raw_output_without_peer_never_stalls_uplink) {
    // Nobody takes the raw downlink output: its queue fills and the rest is dropped.
    service_peers peers(m_config);
    m_config.binary_tmp_output = m_dir.ipc("nobody_there");
    m_config.write();
    auto service = start();
    ASSERT_NE(peers.wait_until_converting(frames::heartbeat), "<nothing>") << service->error_output();
    peers.drain_json();
    for (int i = 0; i < 10000; ++i)
        peers.send_request(R"({"mac":"001122aabbcc","message":{"reboot":{}}})");
    peers.send_frame(frames::heartbeat);
    EXPECT_EQ(peers.json_document(std::chrono::seconds(20)), frames::heartbeat_obsolete);
    EXPECT_THAT(service->error_output(), HasSubstr("tmp_output: "));
}

struct failed_start {
    std::string name;
    std::function<std::vector<std::string>(const service_configuration&)> arguments;  // the whole command line
    std::function<void(const service_configuration&)> prepare;
    std::string text;

    friend void PrintTo(const failed_start& c, std::ostream* os) { *os << c.name; }
};

class failed_starts : public service_test, public ::testing::WithParamInterface<failed_start> {};

TEST_P(failed_starts, exit_with_status_one_and_say_why) {
    const auto& c = GetParam();
    if (c.prepare)
        c.prepare(m_config);
    auto service = start(c.arguments(m_config));
    EXPECT_EQ(service->wait(), 1);
    EXPECT_THAT(service->error_output(), HasSubstr(c.text));
}

std::vector<std::string> normal(const service_configuration& c) { return {"-c", c.path}; }

INSTANTIATE_TEST_SUITE_P(
    reasons, failed_starts,
    ::testing::Values(
        failed_start{"no_config", [](const service_configuration&) { return std::vector<std::string>{}; }, nullptr,
                     "The configuration file is not defined! Usage: "},
        failed_start{"unknown_option",
                     [](const service_configuration& c) { return std::vector<std::string>{"-x", "-c", c.path}; },
                     nullptr, "Usage: "},
        failed_start{"bad_config", normal,
                     [](const service_configuration& c) { std::ofstream(c.path) << "{\"system\": {}}"; },
                     "Config file is invalid: "},
        failed_start{"missing_config",
                     [](const service_configuration& c) { return std::vector<std::string>{"-c", c.path + ".absent"}; },
                     nullptr, "Cannot parse json: "},
        failed_start{"unwritable_pid", normal,
                     [](const service_configuration& c) {
                         auto copy = c;
                         copy.pidfile = "/nonexistent-folder/tarnwick.pid";
                         copy.write();
                     },
                     "Error opening pid-file!"},
        failed_start{"bad_parameters", normal,
                     [](const service_configuration& c) {
                         auto copy = c;
                         copy.parameters = c.path + ".params";
                         copy.write();
                         std::ofstream(copy.parameters) << "{ not json";
                     },
                     "Parameter config file is invalid: "}),
    [](const ::testing::TestParamInfo<failed_start>& info) { return info.param.name; });

}  // namespace
