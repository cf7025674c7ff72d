// tarnwick-tap and tarnwick-send against a running service.
#include "instance.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using namespace orx::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

const std::string reboot_request = R"({"mac":"001122aabbcc","message":{"reboot":{}}})";
// Any sequence number: earlier requests of the test move it on.
const std::string reboot_downlink = "080E[0-9A-F]{2}00060001" "0002FFFF001122FFFEAABBCC";

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

struct tap_case {
    std::string name;
    std::vector<std::string> options;  // besides -c
    bool downlink;                     // feed reboot requests instead of heartbeats
    ::testing::Matcher<std::vector<std::string>> printed;

    friend void PrintTo(const tap_case& c, std::ostream* os) { *os << c.name; }
};

class tap : public ::testing::TestWithParam<tap_case> {};

// The tap subscribes some time after it starts: the traffic goes on until its
// count is reached, which also proves that -n ends it.
TEST_P(tap, prints_what_the_service_publishes_and_stops_at_its_count) {
    const auto& c = GetParam();
    instance service;
    ASSERT_TRUE(service.wait_until_converting());
    std::vector<std::string> arguments{"-c", service.config.path};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    child_process tap(program("tarnwick-tap"), arguments, service.dir.path());
    const int status = feed_until_exit(tap, [&] {
        if (c.downlink)
            service.peers->send_request(reboot_request);
        else
            service.peers->send_frame(frames::heartbeat);
    });
    ASSERT_EQ(status, 0) << tap.error_output();
    EXPECT_THAT(lines_of(tap.standard_output()), c.printed);
}

INSTANTIATE_TEST_SUITE_P(
    options, tap,
    ::testing::Values(
        // Two lines may come from two heartbeats when the subscription lands
        // between the documents of one; they are the same documents.
        tap_case{"both_documents_of_a_heartbeat", {"-J", "-n", "2"}, false,
                 UnorderedElementsAre(frames::heartbeat_obsolete, frames::heartbeat_event)},
        tap_case{"topic_filter", {"-t", "event", "-n", "3"}, false,
                 ElementsAre(frames::heartbeat_event, frames::heartbeat_event, frames::heartbeat_event)},
        tap_case{"downlink", {"-B", "-n", "1"}, true, ElementsAre(MatchesRegex("> " + reboot_downlink))}),
    [](const ::testing::TestParamInfo<tap_case>& info) { return info.param.name; });

struct send_case {
    std::string name;
    std::function<std::vector<std::string>(const service_configuration&)> endpoints;
    std::string summary;
    bool downlink;  // whether the request reaches the service

    friend void PrintTo(const send_case& c, std::ostream* os) { *os << c.name; }
};

class send : public ::testing::TestWithParam<send_case> {};

TEST_P(send, routes_hex_lines_to_binary_input_and_json_lines_to_json_input) {
    const auto& c = GetParam();
    instance service;
    ASSERT_TRUE(service.wait_until_converting());
    ASSERT_TRUE(service.wait_until_downlink(reboot_request));

    const auto file = service.dir.file("traffic.txt");
    std::ofstream(file) << "  " << frames::heartbeat << " \r\n\n   \n" << reboot_request << "\n";
    auto arguments = c.endpoints(service.config);
    arguments.push_back(file);
    child_process sender(program("tarnwick-send"), arguments, service.dir.path());
    ASSERT_EQ(sender.wait(), 0) << sender.error_output();
    EXPECT_EQ(sender.error_output(), "tarnwick-send: " + c.summary + "\n");

    EXPECT_EQ(service.peers->json_document(), frames::heartbeat_obsolete);
    EXPECT_EQ(service.peers->json_document(), frames::heartbeat_event);
    if (c.downlink) {
        EXPECT_THAT(service.peers->binary_output(), MatchesRegex(reboot_downlink));
    }
    // Nothing else: a line sent to the wrong input would give a failure, not a document.
    EXPECT_EQ(service.peers->json_document(std::chrono::milliseconds(300)), "<nothing>");
    EXPECT_EQ(service.peers->binary_output(std::chrono::milliseconds(300)), "<nothing>");
    EXPECT_THAT(service.process->error_output(), Not(HasSubstr("parse error")));
    EXPECT_THAT(service.process->error_output(), Not(HasSubstr("Caught exeption")));
}

INSTANTIATE_TEST_SUITE_P(
    endpoints, send,
    ::testing::Values(
        send_case{"from_the_configuration", [](const service_configuration& c) { return std::vector<std::string>{"-c", c.path}; },
                  "2 sent", true},
        send_case{"binary_input_only",
                  [](const service_configuration& c) { return std::vector<std::string>{"-b", c.binary_input}; },
                  "1 sent, 1 skipped (no endpoint for them)", false}),
    [](const ::testing::TestParamInfo<send_case>& info) { return info.param.name; });

}  // namespace
