#pragma once

#include "mqtt_check.hpp"

#include <boost/asio/io_context.hpp>
#include <boost/asio/posix/stream_descriptor.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/optional.hpp>
#include <boost/utility/string_view.hpp>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct mosquitto;
struct mosquitto_message;

namespace orx {

// One libmosquitto client driven by an io_context, with no thread of its own:
// the loop waits on the client's socket (readable always, writable while
// libmosquitto has output) and a one-second timer keeps the connection alive.
// Nothing here blocks but the host name lookup of a connection attempt, and
// stop's bounded flush. What libmosquitto reports from inside its calls is
// collected and handed to the handlers once the call returned, so a handler may
// publish, and its exceptions never cross the C library.
class mqtt_client {
public:
    struct settings {
        broker_address address;
        std::string client_id;
        boost::optional<std::string> username, password;
        boost::optional<std::string> ca_file, cert_file, key_file;
        std::string will_topic, will_payload;  // retained, QoS 1
        int max_in_flight = 100;
    };
    struct handlers {
        std::function<void()> connected;
        // A connection attempt that failed, or a connection lost.
        std::function<void(const std::string& reason)> disconnected;
        // The broker acknowledged a QoS 1 message, or a QoS 0 one was written.
        std::function<void(int mid)> published;
        std::function<void(const std::string& topic, const std::string& payload)> message;
    };

    // Raises orx::libs::core::exception when libmosquitto refuses a setting.
    mqtt_client(boost::asio::io_context& io_context, settings client_settings, handlers client_handlers);
    ~mqtt_client();
    mqtt_client(const mqtt_client&) = delete;
    mqtt_client& operator=(const mqtt_client&) = delete;

    // Starts a connection attempt; its outcome reaches `connected` or `disconnected`.
    void connect();
    bool is_connected() const { return m_connected; }

    // Hands one message to libmosquitto; its message id, or nothing when not connected.
    boost::optional<int> publish(const char* topic, boost::string_view payload, int qos, bool retain);
    void subscribe(const std::string& topic, int qos);

    // For the stop, when the loop no longer runs: drives the connection itself
    // until `done` holds, the connection ends or the bound passes.
    void run_until(const std::function<bool()>& done, std::chrono::milliseconds bound);
    // Sends DISCONNECT (the will is not published) and waits up to `bound` for it to leave.
    void disconnect(std::chrono::milliseconds bound);

private:
    struct event {
        enum kind { CONNECTED, DISCONNECTED, PUBLISHED, MESSAGE } what;
        int mid = 0;
        std::string text, payload;
    };

    static void on_connect(mosquitto*, void* self, int code);
    static void on_disconnect(mosquitto*, void* self, int code);
    static void on_publish(mosquitto*, void* self, int mid);
    static void on_message(mosquitto*, void* self, const mosquitto_message* message);
    static void on_log(mosquitto*, void* self, int level, const char* text);

    // After every libmosquitto call: passes on what it reported, then waits on
    // its socket as it now needs. `probe` looks whether the socket is ready
    // already, after a read or write that may have stopped before it was drained.
    void after_call(int code, bool probe = false);
    void deliver();
    void deliver_later();
    void watch(bool probe);
    void forget_socket();
    void on_ready(bool write, unsigned generation, const boost::system::error_code& error);
    void on_tick();
    std::string failure_reason(int code);

    boost::asio::io_context& m_io_context;
    settings m_settings;
    handlers m_handlers;
    mosquitto* m_mosquitto = nullptr;
    boost::asio::posix::stream_descriptor m_descriptor;
    boost::asio::steady_timer m_tick;
    int m_fd = -1;
    unsigned m_generation = 0;  // of the socket watched; stale completions are passed over
    bool m_read_waiting = false, m_write_waiting = false;
    bool m_connected = false, m_attempted = false, m_delivering = false, m_delivery_posted = false;
    std::string m_refusal;                 // the broker's answer to the last CONNECT, when it refused
    std::string m_last_error;              // libmosquitto's last error log line (TLS failures say why there)
    std::vector<event> m_events, m_batch;  // reported by libmosquitto; being delivered
    std::shared_ptr<char> m_alive = std::make_shared<char>();
};

}  // namespace orx
