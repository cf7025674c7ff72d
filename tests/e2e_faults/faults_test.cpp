// Faults around the running service: an output nobody takes, a subscriber that leaves and comes
// back, endpoints held by someone else at start, a restart after a hard kill and a stop under load.
#include "support/service_fixture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using namespace orx::test;

// Nobody takes the raw output: its queue fills, then each message it cannot queue is dropped.
// Bursts of requests never hold up the uplink, and neither does a JSON subscriber that leaves with
// documents still queued for it while frames go on coming, and comes back.
TEST(service_faults, downlink_bursts_and_a_leaving_subscriber_leave_uplink_converting) {
    service s({}, false);
    ASSERT_TRUE(s.wait_until_converting());
    for (int burst = 0; burst < 3; ++burst) {
        for (int i = 0; i < 1000; ++i)
            send(s.requests, {frames::reboot_request});
        send(s.frames, {frames::heartbeat});
        EXPECT_EQ(next(s.documents, std::chrono::seconds(20)), frames::heartbeat_obsolete) << "burst " << burst;
        EXPECT_EQ(next(s.documents), frames::heartbeat_event) << "burst " << burst;
    }
    // The drops are counted from the first, and warned about once in a while, not once each:
    // the next warning after the first drop's comes many drops later.
    EXPECT_TRUE(s.logged("tmp_output: 1 downlink messages dropped so far, no peer ready to take them"));

    for (int i = 0; i < 200; ++i) {
        send(s.frames, {frames::heartbeat});
        if (i == 100)
            s.documents.disconnect(s.config.json_output);
    }
    s.documents.connect(s.config.json_output);
    EXPECT_TRUE(s.wait_until_converting());
    EXPECT_EQ(occurrences(s.process->error_output(), "tmp_output: 2 downlink messages dropped"), 0u);
}

// A loopback TCP port bound by a socket of a context of its own, which is free again once the
// holder goes: the end of a context waits until its sockets are closed. Its kind is one that the
// peers of the port can talk to, since a failed handshake ends a connection for good.
struct port_holder {
    explicit port_holder(zmq::socket_type type) : socket(context, type) {}
    zmq::context_t context;
    zmq::socket_t socket;
    const std::string endpoint = (socket.bind("tcp://127.0.0.1:*"), socket.get(zmq::sockopt::last_endpoint));
};

// The channels are made in turn; one whose port is held fails and is tried again every second,
// from where it failed: the channels made before stay as they are, so a frame that reached the
// first one meanwhile is converted once the port is free. The raw output, which the service
// connects, reaches its peer once that peer can take the port.
TEST(service_faults, endpoints_held_at_start_are_retried_every_second_and_made_channels_kept) {
    auto json_output = std::make_unique<port_holder>(zmq::socket_type::pub);
    auto raw_output = std::make_unique<port_holder>(zmq::socket_type::pull);
    const auto binary_input = port_holder(zmq::socket_type::pull).endpoint;  // free again
    service s(
        [&](service_configuration& c) {
            c.binary_input = binary_input;
            c.json_output = json_output->endpoint;
            c.binary_tmp_output = raw_output->endpoint;
        },
        false);
    send(s.frames, {frames::heartbeat});
    ASSERT_TRUE(s.logged("bind to " + json_output->endpoint + ": Address already in use", 2))
        << s.process->error_output();
    json_output.reset();
    EXPECT_TRUE(s.logged("binary_input: " + frames::heartbeat));
    ASSERT_TRUE(s.wait_until_converting());

    raw_output.reset();
    s.raw_downlink.bind(s.config.binary_tmp_output);
    // The raw output sends only over an established connection: requests go until one arrives.
    std::string downlink = nothing;
    for (int i = 0; i < 50 && downlink == nothing; ++i) {
        send(s.requests, {frames::reboot_request});
        downlink = next(s.raw_downlink, std::chrono::milliseconds(200));
    }
    EXPECT_THAT(downlink, ::testing::MatchesRegex("#win " + frames::reboot_downlink));
}

// A second instance with a pid file of its own but the first one's ipc input: `-t` names the
// endpoint, and the start keeps retrying it while the first instance keeps the input, also for
// senders that connect after the second started. Once the first stops, the second binds.
TEST(service_faults, an_ipc_input_another_instance_listens_on_is_in_use_until_it_stops) {
    service first;
    ASSERT_TRUE(first.wait_until_converting());
    const auto shared = [&](service_configuration& c) { c.binary_input = first.config.binary_input; };
    service check(shared, true, {"-tc", "@"});
    EXPECT_EQ(check.process->wait(), 1);
    EXPECT_THAT(check.process->error_output(),
                ::testing::HasSubstr("binary.input: endpoint \"" + first.config.binary_input + "\" is in use"));

    service second(shared);
    ASSERT_TRUE(second.logged("bind to " + first.config.binary_input + ": Address already in use", 2));
    zmq::socket_t late(first.context, zmq::socket_type::push);
    late.set(zmq::sockopt::linger, 0);
    late.connect(first.config.binary_input);
    send(late, {frames::heartbeat});
    EXPECT_EQ(next(first.documents), frames::heartbeat_obsolete);
    first.process->signal(SIGTERM);
    ASSERT_EQ(first.process->wait(), 0);
    EXPECT_TRUE(second.wait_until_converting());
}

// A hard kill leaves the pid file behind, naming no process any more: the next start takes it
// over, and the same peers, still connected, reach the new process. That one stops on SIGTERM
// under load, with the raw output's queue full, since nobody takes it.
TEST(service_faults, restart_after_sigkill_over_the_stale_pid_file_then_sigterm_under_load) {
    service s({}, false);
    ASSERT_TRUE(s.wait_until_converting());
    s.process->signal(SIGKILL);
    ASSERT_EQ(s.process->wait(), -2);
    s.start();
    ASSERT_TRUE(s.wait_until_converting());
    EXPECT_EQ(read_file(s.config.pidfile), std::to_string(s.process->pid()));

    for (int i = 0; i < 3000; ++i) {
        (void)s.frames.send(zmq::buffer(frames::heartbeat), zmq::send_flags::dontwait);
        (void)s.requests.send(zmq::buffer(frames::reboot_request), zmq::send_flags::dontwait);
    }
    ASSERT_NE(next(s.documents), nothing);
    s.process->signal(SIGTERM);
    EXPECT_EQ(s.process->wait(), 0);
    EXPECT_TRUE(s.logged("exit"));
}

}  // namespace
