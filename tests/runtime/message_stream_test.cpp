#include "runtime_fixture.hpp"

namespace runtime_test {
namespace {

using delivery = std::pair<std::string, std::string>;  // subscriber's label, text

// An XPUB publisher: it receives the streams' subscriptions, so a test publishes
// only once they have arrived.
class message_streams : public loop_test {
protected:
    message_streams() {
        m_publisher.set_option(ZMQ_RCVTIMEO, 5000);
        m_publisher.bind(m_dir.ipc("pub"));
    }

    core::message_stream::callback record(const std::string& label) {
        return [this, label](boost::string_view text) { m_got.emplace_back(label, text.to_string()); };
    }

    // Once `topics` subscriptions and the one for "~end" have arrived, publishes
    // the texts and "~end{}", and runs the loop until "~end{}" is dispatched.
    void publish(core::message_stream& stream, int topics, const std::vector<std::string>& texts) {
        auto end = stream.subscribe("~end", [this](boost::string_view) { m_loop->stop(); });
        zmq::message subscription;
        for (int i = 0; i <= topics; ++i)
            m_publisher.receive(subscription);
        for (const auto& text : texts)
            send_text(m_publisher, text);
        send_text(m_publisher, "~end{}");
        EXPECT_TRUE(run_loop());
    }

    zmq::asio_socket m_publisher{io(), ZMQ_XPUB};
    std::vector<delivery> m_got;
};

TEST_F(message_streams, json_stream_passes_the_text_from_the_first_brace) {
    auto stream = m_loop->create_zmq_message_stream(m_dir.ipc("pub"));
    auto status = stream->subscribe("status", record("status"));
    // More texts than one turn of the loop delivers, all queued before the loop runs.
    std::vector<std::string> texts(100, "status without object");
    texts.push_back("status {\"a\":{}}");
    publish(*stream, 1, texts);
    EXPECT_THAT(m_got, ElementsAre(delivery("status", "{\"a\":{}}")));
}

// A text goes to the subscribers of the first topic that prefixes it. Dispatch
// walks a copy of them: one ended during the walk is skipped, ones added during
// the walk start with the next text.
TEST_F(message_streams, raw_text_reaches_the_first_matching_topic_and_changes_apply_from_the_next_text) {
    auto stream = m_loop->create_zmq_raw_message_stream(m_dir.ipc("pub"));
    core::message_stream::subscription::ptr second;
    std::vector<core::message_stream::subscription::ptr> added;
    auto longer = stream->subscribe("ab", record("ab"));
    auto first = stream->subscribe("a", [&](boost::string_view text) {
        m_got.emplace_back("first", text.to_string());
        second.reset();
        while (added.size() < 8)  // enough to make the list grow
            added.push_back(stream->subscribe("a", record("added")));
    });
    second = stream->subscribe("a", record("second"));
    publish(*stream, 2, {"a1", "ab2"});
    std::vector<delivery> expected{{"first", "a1"}, {"first", "ab2"}};
    expected.insert(expected.end(), 8, delivery("added", "ab2"));
    EXPECT_EQ(m_got, expected);
}

}  // namespace
}  // namespace runtime_test
