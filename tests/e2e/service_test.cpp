// The service over its real channels: both uplink inputs, both downlink outputs, and malformed
// input, which is logged and dropped while the service goes on.
#include "support/service_fixture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using namespace orx::test;

// The raw input takes a time stamp part and a data part and converts them as the hex frame that
// declares both lengths: a longer time stamp is cut to its first 6 bytes, a shorter one is refused.
// Messages of other shapes are ignored or refused. These come first on the channel: the documents
// that follow are the good ones'.
TEST(service_test, raw_input_converts_two_parts_and_refuses_other_shapes) {
    service s([](service_configuration& c) { c.statistics_textfile = c.pidfile + ".prom"; });
    ASSERT_TRUE(s.wait_until_converting());
    const auto data = frames::bytes(frames::heartbeat_payload), stamp = frames::bytes("6553F100007C");
    // clang-format off
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{frames::bytes("6553F100"), data}, "The timestamp must be 6 bytes long"},
        {{stamp, data, stamp, data}, "tmp_input: message of 4 parts dropped, expected 2"},
        {{stamp, std::string(65536, '\1')}, "tmp_input: message dropped, part of 65536 bytes exceeds 65535"}};
    // clang-format on
    send(s.raw, {stamp});  // a single part, ignored
    for (const auto& r : refused)
        send(s.raw, r.first);
    for (const auto& good : {frames::heartbeat_stamp, frames::heartbeat_stamp + "FFFF"}) {
        send(s.raw, {frames::bytes(good), data});
        EXPECT_EQ(next(s.documents), frames::heartbeat_obsolete) << good;
        EXPECT_EQ(next(s.documents), frames::heartbeat_event) << good;
    }
    for (const auto& r : refused)
        EXPECT_TRUE(s.logged(r.second)) << r.second;
    // Each refused message counts as a failed conversion; the single part does not.
    s.process->signal(SIGTERM);
    ASSERT_EQ(s.process->wait(), 0);
    EXPECT_NE(read_file(s.config.statistics_textfile).find("tarnwick_conversion_failures_total 3\n"),
              std::string::npos);
}

TEST(service_test, malformed_input_is_logged_and_dropped_and_the_next_converts) {
    service s;
    ASSERT_TRUE(s.wait_until_converting());
    const std::tuple<zmq::socket_t*, std::string, std::string> malformed[] = {
        {&s.frames, "", "check failed: _buffer.size() >= bytes( 2u )"},
        {&s.frames, "0006" + frames::heartbeat_stamp + "002G", "The message contain non-hex chars"},
        {&s.requests, "not json", "json: 'not json', parse error: '"}};
    for (const auto& [channel, input, logged] : malformed) {
        send(*channel, {input});
        EXPECT_TRUE(s.logged(logged)) << input;
    }
    send(s.frames, {frames::heartbeat});
    EXPECT_EQ(next(s.documents), frames::heartbeat_obsolete);
    EXPECT_EQ(next(s.documents), frames::heartbeat_event);

    // A request goes out on both binary outputs. The binary output publishes: requests are
    // repeated until its subscription is in place. The raw output takes each of them.
    std::string published = nothing, taken;
    for (int i = 0; i < 50 && published == nothing; ++i) {
        send(s.requests, {frames::reboot_request});
        published = next(s.downlink, std::chrono::milliseconds(200));
    }
    EXPECT_THAT(published, ::testing::MatchesRegex(frames::reboot_downlink));
    while ((taken = next(s.raw_downlink)) != nothing && taken != "#win " + published) {
    }
    EXPECT_EQ(taken, "#win " + published);
}

}  // namespace
