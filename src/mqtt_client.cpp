#include "mqtt_client.hpp"

#include <core/exception.hpp>
#include <core/scope_guard.hpp>

#include <boost/asio/post.hpp>

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

#include <poll.h>

namespace orx {

namespace {

// Seconds between PINGREQs on a quiet connection; the broker ends a connection
// silent for one and a half of them.
constexpr int keepalive_seconds = 30;
// Packets libmosquitto reads or writes per call before the loop's other handlers run.
constexpr int packets_per_call = 64;
// Where TLS looks for trusted authorities without a "ca_file".
constexpr char system_ca_folder[] = "/etc/ssl/certs";

const char* c_str(const boost::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

void check(int code, const char* what) {
    if (code != MOSQ_ERR_SUCCESS)
        throw libs::core::exception(std::string("mqtt: ") + what + ": " + mosquitto_strerror(code),
                                    CORE_CURRENT_LOCATION);
}

bool ready_now(int fd, short events) {
    pollfd item{fd, events, 0};
    return ::poll(&item, 1, 0) == 1 && (item.revents & (events | POLLERR | POLLHUP)) != 0;
}

}  // namespace

mqtt_client::mqtt_client(boost::asio::io_context& io_context, settings client_settings, handlers client_handlers)
    : m_io_context(io_context), m_settings(std::move(client_settings)), m_handlers(std::move(client_handlers)),
      m_descriptor(io_context), m_tick(io_context) {
    static std::once_flag initialized;
    std::call_once(initialized, [] { mosquitto_lib_init(); });
    // A persistent session: the broker keeps the subscription and the messages
    // for it while the service is away.
    m_mosquitto = mosquitto_new(m_settings.client_id.c_str(), false, this);
    if (!m_mosquitto)
        throw libs::core::exception("mqtt: cannot create a client: " + std::string(std::strerror(errno)),
                                    CORE_CURRENT_LOCATION);
    check(mosquitto_int_option(m_mosquitto, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311), "protocol version");
    check(mosquitto_max_inflight_messages_set(m_mosquitto, static_cast<unsigned>(m_settings.max_in_flight)),
          "messages in flight");
    check(mosquitto_will_set(m_mosquitto, m_settings.will_topic.c_str(),
                             static_cast<int>(m_settings.will_payload.size()), m_settings.will_payload.data(), 1, true),
          "last will");
    if (m_settings.username)
        check(mosquitto_username_pw_set(m_mosquitto, c_str(m_settings.username), c_str(m_settings.password)),
              "user name");
    if (m_settings.address.tls)
        check(mosquitto_tls_set(m_mosquitto, c_str(m_settings.ca_file), m_settings.ca_file ? nullptr : system_ca_folder,
                                c_str(m_settings.cert_file), c_str(m_settings.key_file), nullptr),
              "TLS files");
    mosquitto_connect_callback_set(m_mosquitto, &mqtt_client::on_connect);
    mosquitto_disconnect_callback_set(m_mosquitto, &mqtt_client::on_disconnect);
    mosquitto_publish_callback_set(m_mosquitto, &mqtt_client::on_publish);
    mosquitto_message_callback_set(m_mosquitto, &mqtt_client::on_message);
    mosquitto_log_callback_set(m_mosquitto, &mqtt_client::on_log);
    on_tick();
}

mqtt_client::~mqtt_client() {
    m_tick.cancel();
    forget_socket();
    mosquitto_destroy(m_mosquitto);
}

void mqtt_client::connect() {
    m_refusal.clear();
    m_last_error.clear();
    const int code = m_attempted ? mosquitto_reconnect_async(m_mosquitto)
                                 : mosquitto_connect_async(m_mosquitto, m_settings.address.host.c_str(),
                                                           m_settings.address.port, keepalive_seconds);
    m_attempted = true;
    if (code != MOSQ_ERR_SUCCESS)
        m_events.push_back({event::DISCONNECTED, 0, failure_reason(code), {}});
    after_call(MOSQ_ERR_SUCCESS);
}

boost::optional<int> mqtt_client::publish(const char* topic, boost::string_view payload, int qos, bool retain) {
    if (!m_connected)
        return boost::none;
    int mid = 0;
    const int code =
        mosquitto_publish(m_mosquitto, &mid, topic, static_cast<int>(payload.size()), payload.data(), qos, retain);
    if (code != MOSQ_ERR_SUCCESS && code != MOSQ_ERR_NO_CONN && code != MOSQ_ERR_CONN_LOST && code != MOSQ_ERR_ERRNO)
        check(code, "publish");
    // A QoS 0 message written at once is reported at once: the caller learns
    // its id before that report.
    deliver_later();
    watch(false);
    // A write that found the connection broken still leaves a QoS 1 message with
    // libmosquitto, which sends it again on the next connection.
    if (code != MOSQ_ERR_SUCCESS && qos == 0)
        return boost::none;
    return mid;
}

void mqtt_client::subscribe(const std::string& topic, int qos) {
    if (!m_connected)
        return;
    mosquitto_subscribe(m_mosquitto, nullptr, topic.c_str(), qos);
    deliver_later();
    watch(false);
}

void mqtt_client::run_until(const std::function<bool()>& done, std::chrono::milliseconds bound) {
    const auto end = std::chrono::steady_clock::now() + bound;
    forget_socket();
    while (m_connected && !done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return;
        const int fd = mosquitto_socket(m_mosquitto);
        pollfd item{fd, static_cast<short>(POLLIN | (mosquitto_want_write(m_mosquitto) ? POLLOUT : 0)), 0};
        if (::poll(&item, 1, static_cast<int>(std::min<long long>(left.count(), 1000))) < 0 && errno != EINTR)
            return;
        int code = MOSQ_ERR_SUCCESS;
        if (item.revents & (POLLIN | POLLERR | POLLHUP))
            code = mosquitto_loop_read(m_mosquitto, packets_per_call);
        if (code == MOSQ_ERR_SUCCESS && (item.revents & POLLOUT))
            code = mosquitto_loop_write(m_mosquitto, packets_per_call);
        if (code == MOSQ_ERR_SUCCESS)
            code = mosquitto_loop_misc(m_mosquitto);
        deliver();
        forget_socket();
    }
}

void mqtt_client::disconnect(std::chrono::milliseconds bound) {
    if (!m_connected)
        return;
    mosquitto_disconnect(m_mosquitto);
    run_until([this] { return mosquitto_socket(m_mosquitto) < 0; }, bound);
    forget_socket();
    m_connected = false;
}

void mqtt_client::on_connect(mosquitto*, void* self, int code) {
    auto& client = *static_cast<mqtt_client*>(self);
    if (code == 0)
        client.m_events.push_back({event::CONNECTED, 0, {}, {}});
    else
        client.m_refusal = mosquitto_connack_string(code);
}

void mqtt_client::on_disconnect(mosquitto*, void* self, int code) {
    auto& client = *static_cast<mqtt_client*>(self);
    client.m_events.push_back({event::DISCONNECTED, 0, client.failure_reason(code), {}});
}

void mqtt_client::on_publish(mosquitto*, void* self, int mid) {
    static_cast<mqtt_client*>(self)->m_events.push_back({event::PUBLISHED, mid, {}, {}});
}

void mqtt_client::on_message(mosquitto*, void* self, const mosquitto_message* message) {
    static_cast<mqtt_client*>(self)->m_events.push_back(
        {event::MESSAGE, 0, message->topic,
         std::string(static_cast<const char*>(message->payload), static_cast<std::size_t>(message->payloadlen))});
}

void mqtt_client::on_log(mosquitto*, void* self, int level, const char* text) {
    if (level == MOSQ_LOG_ERR)
        static_cast<mqtt_client*>(self)->m_last_error = text;
}

std::string mqtt_client::failure_reason(int code) {
    if (!m_refusal.empty())
        return m_refusal;
    std::string reason = code == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(code);
    if (!m_last_error.empty())
        reason += " (" + m_last_error + ")";
    return reason;
}

void mqtt_client::after_call(int code, bool probe) {
    const bool closed = m_fd >= 0 && mosquitto_socket(m_mosquitto) < 0;
    // The socket libmosquitto closed leaves the loop before anything else runs,
    // while its number cannot have been given to another file of this thread.
    if (closed)
        forget_socket();
    // A TLS handshake that fails closes the socket without a disconnect callback.
    if (code != MOSQ_ERR_SUCCESS && closed &&
        std::none_of(m_events.begin(), m_events.end(), [](const event& e) { return e.what == event::DISCONNECTED; }))
        m_events.push_back({event::DISCONNECTED, 0, failure_reason(code), {}});
    deliver();
    watch(probe);
}

void mqtt_client::deliver_later() {
    if (m_events.empty() || m_delivery_posted)
        return;
    m_delivery_posted = true;
    boost::asio::post(m_io_context, [this, alive = std::weak_ptr<char>(m_alive)] {
        if (alive.expired())
            return;
        m_delivery_posted = false;
        after_call(MOSQ_ERR_SUCCESS);
    });
}

void mqtt_client::deliver() {
    // Handlers may publish, which may report more (at QoS 0 a publication is
    // reported as soon as it is written): those wait for this loop rather than
    // nest a delivery per message.
    if (m_delivering)
        return;
    m_delivering = true;
    const auto done = libs::core::execute_on_scope_exit([this]() noexcept { m_delivering = false; });
    while (!m_events.empty()) {
        // The two vectors trade places and keep their storage.
        m_batch.swap(m_events);
        const auto taken_all = libs::core::execute_on_scope_exit([this]() noexcept { m_batch.clear(); });
        for (auto& taken : m_batch) {
            switch (taken.what) {
            case event::CONNECTED:
                m_connected = true;
                // libmosquitto formats a log line for every packet while a log
                // callback is set; its errors matter only until a connection stands.
                mosquitto_log_callback_set(m_mosquitto, nullptr);
                m_handlers.connected();
                break;
            case event::DISCONNECTED:
                m_connected = false;
                mosquitto_log_callback_set(m_mosquitto, &mqtt_client::on_log);
                m_handlers.disconnected(taken.text);
                break;
            case event::PUBLISHED: m_handlers.published(taken.mid); break;
            case event::MESSAGE: m_handlers.message(taken.text, taken.payload); break;
            }
        }
    }
}

void mqtt_client::forget_socket() {
    if (m_descriptor.is_open())
        m_descriptor.release();
    ++m_generation;
    m_fd = -1;
    m_read_waiting = m_write_waiting = false;
}

void mqtt_client::watch(bool probe) {
    const int fd = mosquitto_socket(m_mosquitto);
    if (fd != m_fd) {
        // libmosquitto closes its socket itself: the descriptor is only borrowed.
        forget_socket();
        if (fd < 0)
            return;
        m_fd = fd;
        m_descriptor.assign(fd);
    }
    if (m_fd < 0)
        return;
    const auto wait = [this, probe](bool write) {
        bool& waiting = write ? m_write_waiting : m_read_waiting;
        if (waiting)
            return;
        waiting = true;
        auto done = [this, write, generation = m_generation,
                     alive = std::weak_ptr<char>(m_alive)](const boost::system::error_code& error) {
            if (!alive.expired())
                on_ready(write, generation, error);
        };
        // The loop's readiness is edge-triggered: a socket left readable (or
        // writable) by a call that stopped early gives no new edge.
        if (probe && ready_now(m_fd, write ? POLLOUT : POLLIN))
            boost::asio::post(m_io_context, [done] { done({}); });
        else
            m_descriptor.async_wait(write ? boost::asio::posix::stream_descriptor::wait_write
                                          : boost::asio::posix::stream_descriptor::wait_read,
                                    std::move(done));
    };
    wait(false);
    if (mosquitto_want_write(m_mosquitto))
        wait(true);
}

void mqtt_client::on_ready(bool write, unsigned generation, const boost::system::error_code& error) {
    if (generation != m_generation || error == boost::asio::error::operation_aborted)
        return;
    (write ? m_write_waiting : m_read_waiting) = false;
    const int code = write ? mosquitto_loop_write(m_mosquitto, packets_per_call)
                           : mosquitto_loop_read(m_mosquitto, packets_per_call);
    after_call(code, true);
}

void mqtt_client::on_tick() {
    if (m_fd >= 0)
        after_call(mosquitto_loop_misc(m_mosquitto));
    m_tick.expires_after(std::chrono::seconds(1));
    m_tick.async_wait([this, alive = std::weak_ptr<char>(m_alive)](const boost::system::error_code& error) {
        if (!error && !alive.expired())
            on_tick();
    });
}

}  // namespace orx
