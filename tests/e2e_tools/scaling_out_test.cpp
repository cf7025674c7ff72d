// Two instances fed by one gateway socket connected to both share the frames: each frame is
// converted once, by one of them, which publishes both its documents.
#include "support/service_fixture.hpp"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace orx::test;

TEST(scaling_out, one_gateway_socket_on_two_instances_converts_each_frame_once) {
    service first, second;
    ASSERT_TRUE(first.wait_until_converting());
    ASSERT_TRUE(second.wait_until_converting());
    // The first one's gateway socket is connected to both.
    first.frames.connect(second.config.binary_input);
    constexpr int sent = 100;
    for (int i = 0; i < sent; ++i)
        send(first.frames, {frames::heartbeat_at(1000 + i)});

    // Each instance publishes both documents of a frame it took, one after the other; the time
    // stamps of the frames converted are all different.
    const auto stamp = [](const std::string& document) { return document.substr(document.find("\"ts\":"), 31); };
    std::set<std::string> stamps;
    for (int turn = 0; turn < 1000 && stamps.size() < sent; ++turn) {
        auto& documents = (turn % 2 ? second : first).documents;
        const auto obsolete = next(documents, std::chrono::milliseconds(50));
        if (obsolete == nothing)
            continue;
        const auto event = next(documents);
        EXPECT_EQ(stamp(obsolete), stamp(event));
        EXPECT_TRUE(stamps.insert(stamp(event)).second) << event;
    }
    EXPECT_EQ(stamps.size(), static_cast<std::size_t>(sent));
}

}  // namespace
