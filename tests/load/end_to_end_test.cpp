#include "../../tools/tarnwick-load/frames.hpp"
#include "support/service_fixture.hpp"

#include <core/timestamp.hpp>
#include <load_profile.hpp>

#include <json/json.h>
#include <zmq.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using namespace std::chrono_literals;
using orx::test::child_process;
using orx::test::program;
using testing::HasSubstr;

// A run of a few thousand frames takes well under a second; the bound only stops a hung child.
constexpr auto run_limit = 20s;

Json::Value summary_of(const child_process& load) {
    Json::Value summary;
    std::istringstream text(load.standard_output());
    Json::CharReaderBuilder builder;
    EXPECT_TRUE(Json::parseFromStream(builder, text, &summary, nullptr)) << load.standard_output();
    return summary;
}

struct relay_case {
    std::string name;
    std::vector<std::string> arguments;
    std::string capture;  // written to a file given with -f when not empty
    uint64_t documents;
    uint64_t requests;
};

class load_against_relay : public ::testing::TestWithParam<relay_case> {};

TEST_P(load_against_relay, counts_every_document_and_loses_none) {
    const auto& c = GetParam();
    orx::test::temp_dir dir;
    orx::test::service_configuration config(dir);
    config.write();
    // No send limit on the relay's publishers: what the test counts is the tool, not the transport.
    child_process relay(program("tarnwick-relay"), {"-c", config.path, "--sndhwm", "0"}, dir.path());
    ASSERT_TRUE(relay.wait_for_standard_output([](const std::string& out) { return out.find("ready") != out.npos; }))
        << relay.error_output();

    std::vector<std::string> arguments = {"-c", config.path, "--json", "-q"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    if (!c.capture.empty()) {
        std::ofstream(dir.file("capture.hex")) << c.capture;
        arguments.insert(arguments.end(), {"-f", dir.file("capture.hex")});
    }
    child_process load(program("tarnwick-load"), arguments, dir.path());
    ASSERT_EQ(load.wait(run_limit), 0) << load.error_output();

    const auto summary = summary_of(load);
    EXPECT_EQ(summary["frames_sent"].asUInt64(), 2000u);
    EXPECT_EQ(summary["stalled"].asBool(), false);
    const auto& documents = summary["documents"];
    EXPECT_EQ(documents["expected"].asUInt64(), c.documents);
    EXPECT_EQ(documents["received"].asUInt64(), c.documents);
    EXPECT_EQ(documents["lost"].asUInt64(), 0u);
    EXPECT_EQ(documents["unmatched"].asUInt64(), 0u);
    EXPECT_GT(documents["latency_us"]["max"].asDouble(), 0.0);
    EXPECT_EQ(summary["downlink"]["expected"].asUInt64(), c.requests);
    EXPECT_EQ(summary["downlink"]["received"].asUInt64(), c.requests);

    relay.signal(SIGTERM);
    EXPECT_EQ(relay.wait(), 0);
    EXPECT_THAT(relay.error_output(), HasSubstr("(0 refused)"));
}

const std::string position_line =
    orx::load::gateway_frame(0, orx::load::generic_data("0020", orx::load::position_command({}), 9)) + "\n";
const std::string heartbeat_line = orx::load::gateway_frame(0, orx::load::heartbeat_data({})) + "\n";

INSTANTIATE_TEST_SUITE_P(
    runs, load_against_relay,
    ::testing::Values(
        // 14:4:1:1 per 20 frames: 1400 positions (1 document), 600 others (2 documents).
        relay_case{"builtin_mix_with_downlink", {"-n", "2000", "-j"}, "", 2600, 200},
        relay_case{"paced_run", {"-n", "2000", "-r", "20000", "-m", "1:1:0:0"}, "", 3000, 0},
        relay_case{"capture", {"-n", "2000"}, "# two frames\n" + position_line + heartbeat_line + "not a frame\n", 3000,
                   0}),
    [](const auto& info) { return info.param.name; });

// A service stand-in inside the test: it answers the probes and publishes each frame's documents,
// except those of every tenth frame, and adds two documents that name no frame.
TEST(load_accounting, names_lost_and_foreign_documents) {
    orx::test::temp_dir dir;
    zmq::context_t context(1);
    zmq::socket_t frames(context, zmq::socket_type::pull);
    zmq::socket_t documents(context, zmq::socket_type::pub);
    documents.set(zmq::sockopt::sndhwm, 0);
    frames.bind(dir.ipc("frames"));
    documents.bind(dir.ipc("documents"));

    child_process load(program("tarnwick-load"), {"--binary-input", dir.ipc("frames"), "--json-output",
                        dir.ipc("documents"), "-n", "200", "--settle", "200", "--json", "-q"}, dir.path());
    uint64_t dropped = 0;
    bool foreign_sent = false;
    const auto deadline = std::chrono::steady_clock::now() + run_limit;
    zmq::pollitem_t items[] = {{frames.handle(), 0, ZMQ_POLLIN, 0}, {nullptr, load.pidfd(), ZMQ_POLLIN, 0}};
    while (!(items[1].revents & ZMQ_POLLIN) && std::chrono::steady_clock::now() < deadline) {
        zmq::poll(items, 2, 100ms);
        zmq::message_t message;
        while (frames.recv(message, zmq::recv_flags::dontwait)) {
            const auto frame = orx::load_profile::read_frame({message.data<char>(), message.size()});
            ASSERT_TRUE(frame);
            const auto counter = frame->m_timestamp_ms - orx::load::counter_base_ms;
            const auto yielded = orx::load_profile::documents_of(frame->m_data);
            if (counter % 10 == 3) {
                dropped += yielded.m_count;
                continue;
            }
            const auto ts = orx::libs::core::timestamp(frame->m_timestamp_ms).to_iso_8601(true, 'T', true);
            for (const auto& document : yielded)
                (void)documents.send(zmq::buffer("~" + document.m_topic.to_string() + " {\"ts\":\"" + ts + "\"}"));
            if (counter >= 0 && !foreign_sent) {
                (void)documents.send(zmq::str_buffer("~event {\"ts\":\"2099-01-01T00:00:00.000Z\"}"));
                (void)documents.send(zmq::str_buffer("~event {}"));
                foreign_sent = true;
            }
        }
    }
    ASSERT_EQ(load.wait(), 0) << load.error_output();
    const auto summary = summary_of(load);
    EXPECT_EQ(summary["frames_sent"].asUInt64(), 200u);
    EXPECT_EQ(summary["documents"]["expected"].asUInt64(), 260u);
    EXPECT_GT(dropped, 0u);
    EXPECT_EQ(summary["documents"]["lost"].asUInt64(), dropped);
    EXPECT_EQ(summary["documents"]["received"].asUInt64(), 260u - dropped);
    EXPECT_EQ(summary["documents"]["unmatched"].asUInt64(), 2u);
}

struct failure_case {
    std::string name;
    std::vector<std::string> arguments;
    int status;
    std::string message;
};

class load_failures : public ::testing::TestWithParam<failure_case> {};

TEST_P(load_failures, end_with_their_status) {
    orx::test::temp_dir dir;
    std::vector<std::string> arguments;
    for (const auto& argument : GetParam().arguments)
        arguments.push_back(argument == "@" ? dir.ipc("nobody") : argument);
    child_process load(program("tarnwick-load"), arguments, dir.path());
    EXPECT_EQ(load.wait(run_limit), GetParam().status);
    EXPECT_THAT(load.error_output(), HasSubstr(GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(
    statuses, load_failures,
    ::testing::Values(failure_case{"bad_rate", {"--binary-input", "@", "--json-output", "@", "-r", "fast"}, 1,
                                   "bad value for -r: fast"},
                      failure_case{"no_endpoints", {"-n", "10"}, 1, "no endpoint for binary.input"},
                      failure_case{"downlink_needs_its_channels",
                                   {"--binary-input", "@", "--json-output", "@", "-j"}, 1,
                                   "no endpoint for binary.output"},
                      failure_case{"nobody_answers", {"--binary-input", "@", "--json-output", "@", "--wait", "300"}, 2,
                                   "no answer on"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
