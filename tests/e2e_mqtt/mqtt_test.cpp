// The service's MQTT link against a real Mosquitto broker: what back ends receive and send, what
// survives a back end or the broker going away, and what a wrong setting says.
#include "support/mqtt_broker.hpp"
#include "support/service_fixture.hpp"

#include <gmock/gmock.h>

#include <set>

namespace {

using namespace orx::test;
using ::testing::HasSubstr;

const std::string node_topic = "tarnwick/001122556677/";

// The "mqtt" group for the broker URL, with further members.
std::string mqtt_group(const std::string& url, const std::string& more = "") {
    return R"({"broker": ")" + url + R"(", "client_id": "tarnwick-test")" + more + "}";
}

// What a back end receives for a document published on the JSON output as "~<topic> <json>".
std::string as_mqtt(const std::string& document) {
    const auto blank = document.find(' ');
    return node_topic + document.substr(1, blank - 1) + document.substr(blank);
}

// The event of the heartbeat stamped `stamp` ms after the epoch (less than a minute), as the JSON
// output gives it.
std::string event_at(uint64_t stamp) {
    char ts[32];
    std::snprintf(ts, sizeof ts, "1970-01-01T00:00:%02d.%03dZ", static_cast<int>(stamp / 1000),
                  static_cast<int>(stamp % 1000));
    auto event = frames::heartbeat_event;
    return event.replace(event.find("2023-11-14T22:13:20.123Z"), 24, ts);
}

// Sends heartbeats stamped first .. last ms (from 10 s on, after those of wait_until_converting)
// and takes their documents off the JSON output as they come (a subscriber that lags loses
// them); false when one did not come out.
bool convert(service& s, uint64_t first, uint64_t last) {
    for (auto stamp = first; stamp <= last; ++stamp) {
        send(s.frames, {frames::heartbeat_at(stamp)});
        if (next(s.documents) == nothing || next(s.documents) != event_at(stamp))
            return false;
    }
    return true;
}

// The messages of the heartbeats that `convert` sent.
std::vector<std::string> converted(mqtt_back_end& back_end) {
    auto messages = back_end.messages();
    messages.erase(std::remove_if(messages.begin(), messages.end(),
                                  [](const std::string& m) { return m.find("T00:00:0") != m.npos; }),
                   messages.end());
    return messages;
}

uint64_t count_in(const std::string& text, const std::string& name) {
    const auto at = text.find("\n" + name + " ");
    return at == text.npos ? ~0ull : std::stoull(text.substr(at + name.size() + 2));
}

TEST(e2e_mqtt, documents_downlink_requests_and_status_go_through_the_broker) {
    mqtt_broker broker;
    mqtt_back_end back_end(broker, "back-end", {"tarnwick/#"});
    service s([&](service_configuration& c) {
        c.mqtt = mqtt_group(broker.url());
        c.statistics_textfile = c.folder + "/prom";
    });
    ASSERT_TRUE(back_end.received("tarnwick/status online"));
    ASSERT_TRUE(s.wait_until_converting());

    // Every document with the bytes of the JSON output, under its node and topic.
    send(s.frames, {frames::heartbeat});
    for (const auto& expected : {frames::heartbeat_obsolete, frames::heartbeat_event}) {
        EXPECT_EQ(next(s.documents), expected);
        EXPECT_TRUE(back_end.received(as_mqtt(expected))) << expected;
    }

    // A request over MQTT is a request like one on the JSON input: its downlink goes out on the
    // binary output and to the broker; one that does not parse is refused with the same line.
    back_end.publish("tarnwick/request", "not json");
    back_end.publish("tarnwick/request", frames::reboot_request);
    EXPECT_TRUE(s.logged("json: 'not json', parse error: '"));
    EXPECT_THAT(next(s.raw_downlink), ::testing::MatchesRegex("#win " + frames::reboot_downlink));
    ASSERT_TRUE(back_end.received("tarnwick/downlink 080E"));
    for (const auto& m : back_end.messages()) {
        if (m.rfind("tarnwick/downlink ", 0) == 0) {
            EXPECT_THAT(m.substr(18), ::testing::MatchesRegex(frames::reboot_downlink));
        }
    }

    s.process->signal(SIGTERM);
    ASSERT_EQ(s.process->wait(), 0);
    EXPECT_TRUE(back_end.received("tarnwick/status offline"));
    EXPECT_TRUE(s.logged("mqtt: stopped, 0 messages unsent"));
    const auto counts = read_file(s.config.statistics_textfile);
    EXPECT_EQ(count_in(counts, "tarnwick_mqtt_requests_received_total"), 2u);
    EXPECT_EQ(count_in(counts, "tarnwick_json_parse_failures_total"), 1u);
    EXPECT_EQ(count_in(counts, "tarnwick_mqtt_published_total"),
              count_in(counts, "tarnwick_documents_published_total{topic=\"event\"}") * 2 + 1);
}

TEST(e2e_mqtt, back_end_with_a_persistent_session_misses_nothing_while_away) {
    mqtt_broker broker;
    std::make_unique<mqtt_back_end>(broker, "back-end", std::vector<std::string>{node_topic + "event"}).reset();
    service s([&](service_configuration& c) { c.mqtt = mqtt_group(broker.url()); });
    ASSERT_TRUE(s.wait_until_converting());
    ASSERT_TRUE(convert(s, 10000, 10999));
    // A stop right after the burst sends what is still queued first.
    s.process->signal(SIGTERM);
    ASSERT_EQ(s.process->wait(std::chrono::seconds(10)), 0);
    EXPECT_TRUE(s.logged("mqtt: stopped, 0 messages unsent"));
    mqtt_back_end back_end(broker, "back-end", {node_topic + "event"});
    ASSERT_TRUE(back_end.received(".999Z", 1, std::chrono::seconds(30)));
    std::vector<std::string> expected;
    for (uint64_t stamp = 10000; stamp <= 10999; ++stamp)
        expected.push_back(as_mqtt(event_at(stamp)));
    const auto received = converted(back_end);
    EXPECT_EQ(received, expected);
}

// Far more messages than are handed to libmosquitto at a time, at either QoS.
TEST(e2e_mqtt, a_burst_arrives_whole_and_in_order_at_each_qos) {
    for (const std::string qos : {"0", "1"}) {
        mqtt_broker broker;
        mqtt_back_end back_end(broker, "back-end", {node_topic + "event"});
        service s([&](service_configuration& c) { c.mqtt = mqtt_group(broker.url(), R"(, "qos": )" + qos); });
        ASSERT_TRUE(s.wait_until_converting());
        ASSERT_TRUE(convert(s, 10000, 10499));
        ASSERT_TRUE(back_end.received(".499Z")) << "QoS " << qos;
        std::vector<std::string> expected;
        for (uint64_t stamp = 10000; stamp <= 10499; ++stamp)
            expected.push_back(as_mqtt(event_at(stamp)));
        EXPECT_EQ(converted(back_end), expected) << "QoS " << qos;
    }
}

TEST(e2e_mqtt, broker_restart_delivers_the_queue_in_order_and_counts_what_it_dropped) {
    mqtt_broker broker;
    mqtt_back_end back_end(broker, "back-end", {node_topic + "event"});
    service s([&](service_configuration& c) {
        c.mqtt = mqtt_group(broker.url(), R"(, "queue_limit": 100)");
        c.statistics_textfile = c.folder + "/prom";
    });
    ASSERT_TRUE(s.wait_until_converting());
    ASSERT_TRUE(convert(s, 10001, 10050));
    ASSERT_TRUE(back_end.received(".050Z"));

    broker.stop();
    ASSERT_TRUE(s.logged("mqtt: connection to " + broker.url() + " lost"));
    // Conversion goes on; 300 documents wait for a queue of 100: the oldest 200 are dropped.
    ASSERT_TRUE(convert(s, 10051, 10200));
    broker.start();
    ASSERT_TRUE(back_end.received(".200Z", 1, std::chrono::seconds(60)));

    // The events of 1..50, then those among the newest 100 documents (151..200); repeats only of
    // what was in flight when the connection broke.
    std::vector<std::string> expected, unique;
    for (uint64_t stamp = 10001; stamp <= 10200; stamp = stamp == 10050 ? 10151 : stamp + 1)
        expected.push_back(as_mqtt(event_at(stamp)));
    std::set<std::string> seen;
    for (const auto& m : converted(back_end)) {
        if (seen.insert(m).second)
            unique.push_back(m);
        else
            EXPECT_NE(std::find(expected.begin(), expected.begin() + 50, m), expected.begin() + 50) << m;
    }
    EXPECT_EQ(unique, expected);

    s.process->signal(SIGTERM);
    ASSERT_EQ(s.process->wait(), 0);
    const auto counts = read_file(s.config.statistics_textfile);
    EXPECT_EQ(count_in(counts, "tarnwick_mqtt_dropped_total"), 200u);
    EXPECT_EQ(count_in(counts, "tarnwick_mqtt_reconnects_total"), 1u);
    EXPECT_EQ(count_in(counts, "tarnwick_mqtt_queued"), 0u);
}

// A broker that refuses or cannot be reached is one error line, then attempts again, while the
// ZeroMQ side converts as ever.
TEST(e2e_mqtt, a_broker_that_refuses_or_is_away_is_one_line_and_retried) {
    mqtt_broker broker(true, "right");
    std::ofstream(broker.file("wrong")) << "wrong\n";
    ::chmod(broker.file("wrong").c_str(), 0600);
    const struct {
        std::string group, reason;
    } cases[] = {{mqtt_group(broker.url(broker.password_port),
                             R"(, "username": "tarnwick", "password_file": ")" + broker.file("wrong") + "\""),
                  "Connection Refused: not authorised."},
                 {mqtt_group("mqtt://127.0.0.1:" + std::to_string(free_port())), "Connection refused"},
                 {mqtt_group(broker.url(broker.tls_port), R"(, "ca_file": ")" + broker.file("other-ca.crt") +
                                                              R"(", "cert_file": ")" + broker.file("client.crt") +
                                                              R"(", "key_file": ")" + broker.file("client.key") + "\""),
                  "certificate verify failed"}};
    for (const auto& c : cases) {
        service s([&](service_configuration& config) { config.mqtt = c.group; });
        const auto line = "mqtt: cannot connect to " + c.group.substr(12, c.group.find('"', 12) - 12) + ": ";
        EXPECT_TRUE(s.logged(line)) << c.reason << "\n" << s.process->error_output();
        EXPECT_TRUE(s.logged(line, 2)) << "not retried: " << c.reason << "\n" << s.process->error_output();
        EXPECT_TRUE(s.wait_until_converting());
        const auto log = s.process->error_output();
        EXPECT_THAT(log, HasSubstr(c.reason));
        EXPECT_EQ(occurrences(log, "trying again after 1 s"), 1u) << log;
    }
}

TEST(e2e_mqtt, tls_with_a_client_certificate_carries_documents) {
    mqtt_broker broker(true);
    mqtt_back_end back_end(broker, "back-end", {node_topic + "event"});
    service s([&](service_configuration& c) {
        c.mqtt = mqtt_group(broker.url(broker.tls_port), R"(, "ca_file": ")" + broker.file("ca.crt") +
                                                             R"(", "cert_file": ")" + broker.file("client.crt") +
                                                             R"(", "key_file": ")" + broker.file("client.key") + "\"");
    });
    ASSERT_TRUE(s.logged("mqtt: connected to mqtts://")) << s.process->error_output();
    ASSERT_TRUE(s.wait_until_converting());
    ASSERT_TRUE(convert(s, 10001, 10001));
    EXPECT_TRUE(back_end.received(as_mqtt(event_at(10001))));
}

TEST(e2e_mqtt, check_names_every_problem_of_the_group) {
    temp_dir files;
    std::ofstream(files.file("open")) << "secret\n";
    ::chmod(files.file("open").c_str(), 0640);
    const std::string open = files.file("open");
    // clang-format off
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {R"({"qos": 2, "queue_limit": 0})",
         {"Can not find field <string>: mqtt.broker", "Can not find field <int 0..1>: mqtt.qos",
          "Can not find field <int 1..100000000>: mqtt.queue_limit"}},
        {R"({"broker": "tcp://127.0.0.1:1883", "topic_prefix": "a/#", "password_file": ")" + open +
             R"(", "key_file": ")" + open + R"(", "ca_file": ")" + files.file("missing") + R"("})",
         {"mqtt.broker: \"tcp://127.0.0.1:1883\" is not a broker URL", "mqtt.topic_prefix: \"a/#\" is not a topic",
          "mqtt.password_file: given without mqtt.username", "mqtt.cert_file and mqtt.key_file: both or neither",
          "mqtt.password_file: " + open + " is open to group or others (mode 0640)",
          "mqtt.key_file: " + open + " is open to group or others", "mqtt.ca_file: " + files.file("missing")}},
        {R"({"broker": "mqtt://127.0.0.1", "ca_file": ")" + open + R"("})",
         {"mqtt.broker: TLS files given for the plain broker"}}};
    // clang-format on
    // The check names them, and the start is refused for them.
    for (const auto& [group, problems] : cases)
        for (const std::string flags : {"-tc", "-c"}) {
            service s([&, &mqtt = group](service_configuration& c) { c.mqtt = mqtt; }, true, {flags, "@"});
            ASSERT_EQ(s.process->wait(), 1) << flags << " " << group;
            for (const auto& problem : problems)
                EXPECT_THAT(s.process->error_output(), HasSubstr(problem)) << flags;
        }
}

}  // namespace
