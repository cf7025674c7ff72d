#pragma once

#include <boost/utility/string_view.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace orx {

// The MQTT link's counts; they appear in the line and the file once enabled.
struct mqtt_counts {
    bool connected = false;
    uint64_t published = 0;  // acknowledged by the broker (QoS 1) or written to it (QoS 0)
    uint64_t queued = 0;     // held for the broker now: waiting, or sent and not yet acknowledged
    uint64_t dropped = 0;
    uint64_t requests = 0;
    uint64_t reconnects = 0;
};

// Counts since start of what the service received, published, sent and dropped,
// and how long each input has been quiet.
class statistics {
public:
    using clock = std::chrono::steady_clock;

    explicit statistics(clock::time_point started = clock::now()) : m_started(started) {}

    void on_frame_received(clock::time_point now = clock::now()) {
        ++m_frames_received;
        m_last_frame = now;
    }
    void on_request_received(clock::time_point now = clock::now()) { m_last_request = now; }
    void on_document_published(boost::string_view topic);
    void on_downlink_sent() { ++m_downlink_sent; }
    void on_conversion_failed() { ++m_conversion_failures; }
    void on_json_parse_failed() { ++m_json_parse_failures; }
    void on_tmp_output_dropped() { ++m_tmp_output_dropped; }
    void on_connection_refused() { ++m_connections_refused; }

    using mqtt_counts = orx::mqtt_counts;
    void enable_mqtt() { m_mqtt.emplace(); }
    mqtt_counts& mqtt() { return *m_mqtt; }

    uint64_t frames_received() const { return m_frames_received; }
    uint64_t documents_published() const;
    uint64_t downlink_sent() const { return m_downlink_sent; }
    uint64_t conversion_failures() const { return m_conversion_failures; }
    uint64_t json_parse_failures() const { return m_json_parse_failures; }
    uint64_t tmp_output_dropped() const { return m_tmp_output_dropped; }
    uint64_t connections_refused() const { return m_connections_refused; }

    // One line for the log: every counter, documents by topic.
    std::string summary() const;
    // What follows the summary in the log: ", last frame 5 s ago, last request never".
    std::string liveness(clock::time_point now = clock::now()) const;
    // The counters in the Prometheus text exposition format, and the whole seconds
    // since the last frame and request (since start before the first).
    std::string prometheus_text(clock::time_point now = clock::now()) const;

private:
    clock::time_point m_started;
    std::optional<clock::time_point> m_last_frame;
    std::optional<clock::time_point> m_last_request;
    uint64_t m_frames_received = 0;
    std::map<std::string, uint64_t, std::less<>> m_documents;
    uint64_t m_downlink_sent = 0;
    uint64_t m_conversion_failures = 0;
    uint64_t m_json_parse_failures = 0;
    uint64_t m_tmp_output_dropped = 0;
    uint64_t m_connections_refused = 0;
    std::optional<mqtt_counts> m_mqtt;
};

// Replaces the file's content in one step (a temporary file beside it, then a
// rename), so that readers never see half a file. Raises on failure, leaving no
// temporary file behind, and refuses a path that names anything but a regular
// file.
void write_file_atomically(const std::string& path, const std::string& content);

}  // namespace orx
