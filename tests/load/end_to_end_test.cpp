// tarnwick-load against tarnwick-relay, both real processes on one configuration.
#include "support/service_fixture.hpp"

#include <json/json.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace std::chrono_literals;
using orx::test::child_process;
using orx::test::program;

TEST(load_against_relay, counts_every_frame_document_and_downlink_message) {
    orx::test::temp_dir dir;
    orx::test::service_configuration config(dir);
    config.write();
    // No send limit on the relay's publishers: what the test counts is the tool, not the transport.
    child_process relay(program("tarnwick-relay"), {"-c", config.path, "--sndhwm", "0"}, dir.path());
    ASSERT_TRUE(relay.wait_for_standard_output([](const std::string& out) { return out == "ready\n"; }))
        << relay.error_output();

    child_process load(program("tarnwick-load"), {"-c", config.path, "-n", "2000", "-j", "--json", "-q"}, dir.path());
    ASSERT_EQ(load.wait(20s), 0) << load.error_output();
    Json::Value summary;
    std::istringstream text(load.standard_output());
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), text, &summary, nullptr)) << load.standard_output();

    EXPECT_EQ(summary["frames_sent"].asUInt64(), 2000u);
    // 14:4:1:1 per 20 frames: 1400 positions yield one document, the 600 others two each.
    for (const auto& [channel, count] : {std::pair{"documents", 2600u}, std::pair{"downlink", 200u}}) {
        EXPECT_EQ(summary[channel]["expected"].asUInt64(), count) << channel;
        EXPECT_EQ(summary[channel]["received"].asUInt64(), count) << channel;
        EXPECT_EQ(summary[channel]["lost"].asUInt64(), 0u) << channel;
        EXPECT_EQ(summary[channel]["unmatched"].asUInt64(), 0u) << channel;
    }

    relay.signal(SIGTERM);
    EXPECT_EQ(relay.wait(), 0);
    EXPECT_THAT(relay.error_output(), testing::HasSubstr("(0 refused)"));
}

}  // namespace
