#include "mqtt_link.hpp"

#include "mac.hpp"

#include <core/exception.hpp>

#include <boost/asio/post.hpp>

namespace orx {

namespace {

// Messages handed to libmosquitto and not yet acknowledged; the rest waits in
// the link's own queue, where the limit and the drops are counted. libmosquitto
// looks each acknowledgement up in a list of these: a larger window costs more
// than it gains.
constexpr std::size_t max_in_flight = 100;
constexpr std::chrono::seconds max_backoff{30};
constexpr std::chrono::seconds drop_warning_interval{10};
// How long the stop waits for DISCONNECT to leave.
constexpr std::chrono::milliseconds disconnect_bound{1000};

mqtt_client::settings client_settings(const config::mqtt_group& group) {
    // The start refuses what -t names, all of it at once.
    std::string problems;
    for (const auto& problem : mqtt_problems(group))
        problems += (problems.empty() ? "" : "\n") + problem;
    if (!problems.empty())
        throw libs::core::exception(problems, CORE_CURRENT_LOCATION);
    const auto address = parse_broker_url(group.broker);
    mqtt_client::settings settings;
    settings.address = *address;
    settings.client_id = group.client_id;
    settings.username = group.username;
    if (group.password_file)
        settings.password = read_mqtt_password(*group.password_file);
    settings.ca_file = group.ca_file;
    settings.cert_file = group.cert_file;
    settings.key_file = group.key_file;
    settings.will_topic = group.topic_prefix + "/status";
    settings.will_payload = "offline";
    settings.max_in_flight = static_cast<int>(max_in_flight);
    return settings;
}

}  // namespace

mqtt_link::mqtt_link(libs::core::events_loop& events_loop, const config::mqtt_group& group,
                     const libs::core::component_logger& logger, statistics& statistics, request_handler on_request)
    : m_events_loop(events_loop), m_logger(logger), m_counts((statistics.enable_mqtt(), statistics.mqtt())),
      m_on_request(std::move(on_request)), m_broker(group.broker), m_prefix(group.topic_prefix),
      m_request_topic(m_prefix + "/request"), m_downlink_topic(m_prefix + "/downlink"),
      m_status_topic(m_prefix + "/status"), m_qos(group.qos),
      m_queue_limit(static_cast<std::size_t>(group.queue_limit)), m_retry(events_loop.get_io_context()) {
    mqtt_client::handlers handlers;
    handlers.connected = [this] { on_connected(); };
    handlers.disconnected = [this](const std::string& reason) { on_disconnected(reason); };
    handlers.published = [this](int mid) { on_published(mid); };
    handlers.message = [this](const std::string& topic, const std::string& payload) { on_message(topic, payload); };
    m_client = std::make_unique<mqtt_client>(events_loop.get_io_context(), client_settings(group), std::move(handlers));
    m_logger.info("mqtt: connecting to %1% as %2%, QoS %3%") % m_broker % group.client_id % m_qos;
    m_client->connect();
}

mqtt_link::~mqtt_link() {
    m_retry.cancel();
    if (m_client->is_connected()) {
        m_client->run_until(
            [this] {
                send_waiting();
                return m_queue.empty() && m_in_flight_count == 0;
            },
            stop_flush_bound);
        m_client->publish(m_status_topic.c_str(), "offline", 1, true);
        m_client->disconnect(disconnect_bound);
    }
    const auto unsent = m_queue.size() + m_in_flight_count;
    (unsent == 0 ? m_logger.info("mqtt: stopped, %1% messages unsent")
                 : m_logger.warning("mqtt: stopped, %1% messages unsent")) %
        unsent;
    m_client.reset();
}

void mqtt_link::publish_document(boost::string_view topic, boost::string_view mac, boost::string_view payload) {
    m_topic.assign(m_prefix);
    m_topic += '/';
    // A document without an address of its own (an obsolete one of a frame too
    // short to hold one) still goes out, under "unknown".
    if (is_mac_text(mac))
        m_topic.append(mac.data(), mac.size());
    else
        m_topic += "unknown";
    m_topic += '/';
    m_topic.append(topic.data(), topic.size());
    publish(m_topic, payload);
}

void mqtt_link::publish_downlink(boost::string_view hex) { publish(m_downlink_topic, hex); }

bool mqtt_link::can_send() const { return m_client->is_connected() && m_in_flight_count < max_in_flight; }

void mqtt_link::mark_in_flight(int mid) {
    if (!m_in_flight[static_cast<std::size_t>(mid)]) {
        m_in_flight[static_cast<std::size_t>(mid)] = true;
        ++m_in_flight_count;
    }
}

void mqtt_link::publish(const std::string& topic, boost::string_view payload) {
    // Straight to the broker when nothing waits before it; the queue keeps the order otherwise.
    if (m_queue.empty() && can_send()) {
        if (const auto mid = m_client->publish(topic.c_str(), payload, m_qos, false)) {
            mark_in_flight(*mid);
            count_queued();
            return;
        }
    }
    if (m_queue.size() >= m_queue_limit) {
        m_queue.pop_front();
        ++m_counts.dropped;
        warn_dropped();
    }
    message waiting{std::string(), topic.size()};
    waiting.text.reserve(topic.size() + 1 + payload.size());
    waiting.text.append(topic).append(1, '\0').append(payload.data(), payload.size());
    m_queue.push_back(std::move(waiting));
    count_queued();
}

void mqtt_link::send_waiting() {
    while (!m_queue.empty() && can_send()) {
        const auto& next = m_queue.front();
        const auto mid = m_client->publish(next.topic(), next.payload(), m_qos, false);
        if (!mid)
            break;
        mark_in_flight(*mid);
        m_queue.pop_front();
    }
    count_queued();
}

void mqtt_link::count_queued() { m_counts.queued = m_queue.size() + m_in_flight_count; }

void mqtt_link::on_connected() {
    m_backoff = std::chrono::seconds(1);
    m_last_failure.clear();
    if (m_ever_connected)
        ++m_counts.reconnects;
    m_ever_connected = true;
    m_counts.connected = true;
    m_logger.info("mqtt: connected to %1%, %2% messages waiting") % m_broker % (m_queue.size() + m_in_flight_count);
    m_client->publish(m_status_topic.c_str(), "online", 1, true);
    // The persistent session keeps the subscription; it is renewed in case the broker lost it.
    m_client->subscribe(m_request_topic, 1);
    send_waiting();
}

void mqtt_link::on_disconnected(const std::string& reason) {
    const bool was_connected = m_counts.connected;
    m_counts.connected = false;
    // At QoS 0 libmosquitto forgets what it had not written yet; at QoS 1 it sends
    // its unacknowledged messages again on the next connection.
    if (m_qos == 0) {
        m_counts.dropped += m_in_flight_count;
        m_in_flight.assign(m_in_flight.size(), false);
        m_in_flight_count = 0;
        count_queued();
    }
    if (was_connected)
        m_logger.warning("mqtt: connection to %1% lost: %2%; %3% messages waiting, connecting again") % m_broker %
            reason % (m_queue.size() + m_in_flight_count);
    else if (reason != m_last_failure)
        m_logger.error("mqtt: cannot connect to %1%: %2%; trying again after 1 s, then up to every %3% s") % m_broker %
            reason % max_backoff.count();
    else
        m_logger.debug("mqtt: cannot connect to %1%: %2%") % m_broker % reason;
    m_last_failure = reason;
    retry_later();
}

void mqtt_link::retry_later() {
    m_retry.expires_after(m_backoff);
    m_backoff = std::min(m_backoff * 2, max_backoff);
    m_retry.async_wait([this, alive = std::weak_ptr<char>(m_alive)](const boost::system::error_code& error) {
        if (!error && !alive.expired())
            m_client->connect();
    });
}

void mqtt_link::on_published(int mid) {
    if (mid <= 0 || mid >= static_cast<int>(m_in_flight.size()) || !m_in_flight[static_cast<std::size_t>(mid)])
        return;  // the status message
    m_in_flight[static_cast<std::size_t>(mid)] = false;
    --m_in_flight_count;
    ++m_counts.published;
    send_waiting();
}

void mqtt_link::on_message(const std::string& topic, const std::string& payload) {
    if (topic != m_request_topic)
        return;
    ++m_counts.requests;
    // Handled from the loop like a request on the JSON input: what it raises goes
    // to the loop, never through libmosquitto.
    boost::asio::post(m_events_loop.get_io_context(), [this, payload, alive = std::weak_ptr<char>(m_alive)] {
        if (!alive.expired())
            m_on_request(payload);
    });
}

void mqtt_link::warn_dropped() {
    const auto now = std::chrono::steady_clock::now();
    if (m_dropped_warned_once && now - m_dropped_warned < drop_warning_interval)
        return;
    m_logger.warning("mqtt: %1% messages dropped so far, the oldest beyond the queue limit of %2%") % m_counts.dropped %
        m_queue_limit;
    m_dropped_warned = now;
    m_dropped_warned_once = true;
}

}  // namespace orx
