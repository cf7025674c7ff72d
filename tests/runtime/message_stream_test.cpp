#include "runtime_fixture.hpp"

#include <gmock/gmock.h>

namespace runtime_test {
namespace {

namespace zmq = core::zmq;
using ::testing::ElementsAreArray;

// What a subscriber got: its label and the text.
using delivery = std::pair<std::string, std::string>;

// Probe texts: a topic of their own and a JSON object, so that both kinds of
// stream and an empty-topic subscriber pass them on recognisably.
const std::string probe_topic = "~probe";
const std::string probe_text = "~probe {\"~probe\":0}";
const std::string end_text = "~probe {\"~probe\":1}";

bool is_probe(const delivery& d) { return d.second.find("\"~probe\":") != std::string::npos; }

class message_streams : public loop_test {
protected:
    void SetUp() override { m_publisher = m_loop->get_zmq().bind(zmq::socket::type::pub, m_dir.ipc("pub")); }

    core::message_stream::callback recorder(const std::string& label) {
        return [this, label](boost::string_view text) { m_deliveries.emplace_back(label, text.to_string()); };
    }

    // Publishes probes until one arrives (every subscription made before has then
    // reached the publisher), then the texts and a last probe, and runs the loop
    // until that last probe has arrived. Returns what arrived, probes left out.
    std::vector<delivery> publish(core::message_stream& stream, const std::vector<std::string>& texts) {
        auto probes = stream.subscribe(probe_topic, recorder(probe_topic));
        bool published = false;
        auto prober = m_loop->create_periodic_timer(
            10ms, core::periodic_timer::execute_now{}, "probe",
            [&](auto) {
                if (published) {
                    if (std::any_of(m_deliveries.begin(), m_deliveries.end(),
                                    [](const delivery& d) { return d.second.find("\"~probe\":1") != std::string::npos; }))
                        m_loop->stop();
                } else if (std::any_of(m_deliveries.begin(), m_deliveries.end(), is_probe)) {
                    published = true;
                    for (const auto& t : texts)
                        m_publisher->send(zmq::message(t));
                    m_publisher->send(zmq::message(end_text));
                } else {
                    m_publisher->send(zmq::message(probe_text));
                }
            },
            CORE_CURRENT_LOCATION);
        EXPECT_TRUE(run_loop());
        std::vector<delivery> result;
        for (const auto& d : m_deliveries)
            if (!is_probe(d))
                result.push_back(d);
        return result;
    }

    zmq::socket::ptr m_publisher;
    std::vector<delivery> m_deliveries;
};

struct topic_case {
    std::string name;
    bool json;
    std::vector<std::string> topics;  // each subscriber is labelled "<topic>#<index>"
    std::vector<std::string> published;
    std::vector<delivery> expected;
};

class stream_topics : public message_streams, public ::testing::WithParamInterface<topic_case> {};

TEST_P(stream_topics, reach_the_subscribers_of_the_first_matching_topic) {
    const auto& c = GetParam();
    auto stream = c.json ? m_loop->create_zmq_message_stream(m_dir.ipc("pub"))
                         : m_loop->create_zmq_raw_message_stream(m_dir.ipc("pub"));
    std::vector<core::message_stream::subscription::ptr> subscriptions;
    for (std::size_t i = 0; i < c.topics.size(); ++i)
        subscriptions.push_back(stream->subscribe(c.topics[i], recorder(c.topics[i] + "#" + std::to_string(i))));
    EXPECT_THAT(publish(*stream, c.published), ElementsAreArray(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    cases, stream_topics,
    ::testing::Values(
        topic_case{"shortest_prefix_wins", false, {"ab", "a"}, {"abc", "a1", "b"}, {{"a#1", "abc"}, {"a#1", "a1"}}},
        topic_case{"empty_topic_takes_everything",
                   false,
                   {"status", ""},
                   {"status up", "other", ""},
                   {{"#1", "status up"}, {"#1", "other"}, {"#1", ""}}},
        topic_case{"same_topic_twice_calls_both_in_order",
                   false,
                   {"a", "a"},
                   {"a1"},
                   {{"a#0", "a1"}, {"a#1", "a1"}}},
        topic_case{"partial_topic_does_not_match", false, {"status"}, {"statu", "xstatus", "status"}, {{"status#0", "status"}}},
        topic_case{"json_part_from_the_first_brace",
                   true,
                   {"status"},
                   {"status {\"a\":1}", "status without object", "status", "statusx {\"b\":[{}]}"},
                   {{"status#0", "{\"a\":1}"}, {"status#0", "{\"b\":[{}]}"}}},
        topic_case{"json_with_empty_topic_drops_empty_message",
                   true,
                   {""},
                   {"", "x{y}"},
                   {{"#0", "{y}"}}}),
    [](const auto& info) { return info.param.name; });

TEST_F(message_streams, subscription_ended_while_messages_flow_gets_no_more) {
    auto stream = m_loop->create_zmq_raw_message_stream(m_dir.ipc("pub"));
    core::message_stream::subscription::ptr second;
    auto first = stream->subscribe("a", [&](boost::string_view text) {
        m_deliveries.emplace_back("first", text.to_string());
        second.reset();  // ends before its turn for this very message
    });
    second = stream->subscribe("a", recorder("second"));
    EXPECT_THAT(publish(*stream, {"a1", "a2"}),
                ElementsAreArray(std::vector<delivery>{{"first", "a1"}, {"first", "a2"}}));
}

TEST_F(message_streams, subscription_made_during_dispatch_starts_with_the_next_message) {
    auto stream = m_loop->create_zmq_raw_message_stream(m_dir.ipc("pub"));
    std::vector<core::message_stream::subscription::ptr> added;
    auto first = stream->subscribe("a", [&](boost::string_view text) {
        m_deliveries.emplace_back("first", text.to_string());
        while (added.size() < 8)  // on the first message only; enough to make the list grow
            added.push_back(stream->subscribe("a", recorder("added" + std::to_string(added.size()))));
    });
    const auto got = publish(*stream, {"a1", "a2"});
    ASSERT_EQ(got.size(), 10u);
    EXPECT_EQ(got[0], delivery("first", "a1"));
    EXPECT_EQ(got[1], delivery("first", "a2"));
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(got[2 + i], delivery("added" + std::to_string(i), "a2"));
}

TEST_F(message_streams, stream_destroyed_by_its_callback_stops_quietly) {
    auto stream = m_loop->create_zmq_raw_message_stream(m_dir.ipc("pub"));
    int calls = 0;
    auto gone = stream->subscribe("x", [&](boost::string_view) {
        ++calls;
        stream.reset();
    });
    auto prober = m_loop->create_periodic_timer(
        10ms, "probe",
        [&](auto) {
            if (!stream) {
                m_loop->stop();
                return;
            }
            m_publisher->send(zmq::message(std::string("x1")));
            m_publisher->send(zmq::message(std::string("x2")));
        },
        CORE_CURRENT_LOCATION);
    EXPECT_TRUE(run_loop());
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace runtime_test
