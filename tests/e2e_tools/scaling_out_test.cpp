// Two instances fed by one gateway socket connected to both share the frames:
// every frame is converted exactly once, by one of them.
#include "instance.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

namespace {

using namespace orx::test;

// The "ts" member of a published document.
std::string time_stamp_of(const std::string& document) {
    const std::string key = "\"ts\":\"";
    const auto begin = document.find(key);
    if (begin == std::string::npos)
        return "<none>";
    const auto end = document.find('"', begin + key.size());
    return document.substr(begin + key.size(), end - begin - key.size());
}

std::string topic_of(const std::string& document) { return document.substr(0, document.find(' ')); }

TEST(scaling_out, one_gateway_socket_on_two_instances_converts_each_frame_once) {
    instance first, second;
    ASSERT_TRUE(first.wait_until_converting());
    ASSERT_TRUE(second.wait_until_converting());

    zmq::context_t context;
    zmq::socket_t gateway(context, zmq::socket_type::push);
    gateway.set(zmq::sockopt::linger, 0);
    gateway.connect(first.config.binary_input);
    gateway.connect(second.config.binary_input);

    constexpr int frames_sent = 40;
    for (int i = 0; i < frames_sent; ++i)
        gateway.send(zmq::buffer(heartbeat_at(1700000000000 + static_cast<uint64_t>(i))), zmq::send_flags::none);

    // time stamp -> topic -> the instances that published it
    std::map<std::string, std::map<std::string, std::vector<int>>> seen;
    int received = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (received < 2 * frames_sent && std::chrono::steady_clock::now() < end) {
        int index = 0;
        for (auto* service : {&first, &second}) {
            ++index;
            const auto document = service->peers->json_document(std::chrono::milliseconds(50));
            if (document == "<nothing>")
                continue;
            seen[time_stamp_of(document)][topic_of(document)].push_back(index);
            ++received;
        }
    }
    ASSERT_EQ(received, 2 * frames_sent);
    EXPECT_EQ(first.peers->json_document(std::chrono::milliseconds(300)), "<nothing>");
    EXPECT_EQ(second.peers->json_document(std::chrono::milliseconds(300)), "<nothing>");

    ASSERT_EQ(seen.size(), static_cast<std::size_t>(frames_sent));
    std::map<int, int> frames_by_instance;
    for (const auto& frame : seen) {
        const auto& topics = frame.second;
        ASSERT_EQ(topics.size(), 2u) << frame.first;
        const auto& obsolete = topics.at("~obsolete");
        const auto& event = topics.at("~event");
        ASSERT_EQ(obsolete.size(), 1u) << frame.first;
        ASSERT_EQ(event.size(), 1u) << frame.first;
        // Both documents of a frame come from the instance that took it.
        EXPECT_EQ(obsolete.front(), event.front()) << frame.first;
        ++frames_by_instance[obsolete.front()];
    }
    // The gateway socket shares the frames out between both.
    EXPECT_GT(frames_by_instance[1], 0);
    EXPECT_GT(frames_by_instance[2], 0);
}

}  // namespace
