#pragma once

#include "config.hpp"
#include "mqtt_client.hpp"
#include "statistics.hpp"

#include <core/events_loop.hpp>
#include <core/logger.hpp>

#include <boost/asio/steady_timer.hpp>
#include <boost/utility/string_view.hpp>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orx {

// The service's MQTT side, beside the ZeroMQ channels: every document goes to
// <prefix>/<mac>/<topic>, every downlink message to <prefix>/downlink, each
// message on <prefix>/request is a request, and <prefix>/status says "online"
// or "offline" (retained; "offline" is also the connection's last will).
// Messages leave in the order they came. While the broker cannot take them they
// wait in a queue of at most "queue_limit", the oldest dropped beyond it; the
// connection is tried again after 1 s, doubling up to 30 s. Publishing never
// waits for the broker.
class mqtt_link {
public:
    using request_handler = std::function<void(boost::string_view request)>;

    // Reads the password file; raises orx::libs::core::exception for a group the
    // link cannot use. Connects at once.
    mqtt_link(libs::core::events_loop& events_loop, const config::mqtt_group& group,
              const libs::core::component_logger& logger, statistics& statistics, request_handler on_request);
    // The clean stop: sends what it can within `stop_flush_bound`, says
    // "offline" and how many messages stayed unsent.
    ~mqtt_link();
    mqtt_link(const mqtt_link&) = delete;
    mqtt_link& operator=(const mqtt_link&) = delete;

    // `payload` is the document's compact JSON text, `mac` its "mac" member.
    void publish_document(boost::string_view topic, boost::string_view mac, boost::string_view payload);
    void publish_downlink(boost::string_view hex);

    static constexpr std::chrono::seconds stop_flush_bound{5};

private:
    // The topic, a NUL and the payload in one allocation.
    struct message {
        std::string text;
        std::size_t topic_size;
        const char* topic() const { return text.c_str(); }
        boost::string_view payload() const { return boost::string_view(text).substr(topic_size + 1); }
    };

    void publish(const std::string& topic, boost::string_view payload);
    void mark_in_flight(int mid);
    void send_waiting();
    bool can_send() const;
    void on_connected();
    void on_disconnected(const std::string& reason);
    void on_published(int mid);
    void on_message(const std::string& topic, const std::string& payload);
    void retry_later();
    void count_queued();
    void warn_dropped();

    libs::core::events_loop& m_events_loop;
    const libs::core::component_logger& m_logger;
    statistics::mqtt_counts& m_counts;
    request_handler m_on_request;
    std::string m_broker, m_prefix, m_request_topic, m_downlink_topic, m_status_topic;
    int m_qos;
    std::size_t m_queue_limit;
    std::deque<message> m_queue;  // waiting for the broker, oldest first
    // Handed to libmosquitto and not yet acknowledged, by message id (1 to 65535).
    std::vector<bool> m_in_flight = std::vector<bool>(65536);
    std::size_t m_in_flight_count = 0;
    std::string m_topic;  // reused for every document's topic
    std::unique_ptr<mqtt_client> m_client;
    boost::asio::steady_timer m_retry;
    std::chrono::seconds m_backoff{1};
    bool m_ever_connected = false;
    std::string m_last_failure;  // logged once until it changes
    std::chrono::steady_clock::time_point m_dropped_warned{};
    bool m_dropped_warned_once = false;
    std::shared_ptr<char> m_alive = std::make_shared<char>();
};

}  // namespace orx
