#pragma once

// A Mosquitto broker of the test's own on free ports of 127.0.0.1, with its configuration and
// persistence in a temporary folder, and MQTT clients that stand for back ends.

#include "support/service_process.hpp"

#include <mosquitto.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <condition_variable>
#include <mutex>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace orx::test {

// A TCP port of 127.0.0.1 free when asked.
inline int free_port() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(probe);
    return ntohs(address.sin_port);
}

class mqtt_broker {
public:
    // `tls` adds a TLS listener that asks for a client certificate, over certificates the fixture
    // makes with openssl: ca.crt, client.crt and client.key for the service, and other-ca.crt, an
    // authority that signed nothing. `password` adds a listener where only the user "tarnwick"
    // with that password may connect.
    explicit mqtt_broker(bool tls = false, const std::string& password = "") {
        std::ofstream config(dir.file("mosquitto.conf"));
        config << "per_listener_settings true\npersistence true\npersistence_location " << dir.path()
               << "/\nmax_queued_messages 0\nlog_dest stderr\nuser root\n"
               << "listener " << port << " 127.0.0.1\nallow_anonymous true\n";
        if (tls) {
            make_certificates();
            config << "listener " << tls_port << " 127.0.0.1\nallow_anonymous true\ncafile " << file("ca.crt")
                   << "\ncertfile " << file("server.crt") << "\nkeyfile " << file("server.key")
                   << "\nrequire_certificate true\n";
        }
        if (!password.empty()) {
            run({"/usr/bin/mosquitto_passwd", "-b", "-c", file("passwords"), "tarnwick", password});
            config << "listener " << password_port << " 127.0.0.1\nallow_anonymous false\npassword_file "
                   << file("passwords") << "\n";
        }
        config.close();
        start();
    }

    // Starts it and waits until it listens.
    void start() {
        process = std::make_unique<child_process>("/usr/sbin/mosquitto",
                                                  std::vector<std::string>{"-c", file("mosquitto.conf")}, dir.path());
        if (!process->wait_for_error_output([](const std::string& log) { return log.find(" running") != log.npos; }))
            throw std::runtime_error("mosquitto did not start: " + process->error_output());
    }
    // Stops it as a site would; it saves its sessions and their messages.
    void stop() {
        process->signal(SIGTERM);
        if (process->wait(std::chrono::seconds(10)) != 0)
            throw std::runtime_error("mosquitto did not stop: " + process->error_output());
    }

    std::string url(int on) const {
        return (on == tls_port ? "mqtts://127.0.0.1:" : "mqtt://127.0.0.1:") + std::to_string(on);
    }
    std::string url() const { return url(port); }
    std::string file(const std::string& name) const { return dir.file(name); }

    temp_dir dir;
    const int port = free_port(), tls_port = free_port(), password_port = free_port();
    std::unique_ptr<child_process> process;

private:
    void run(const std::vector<std::string>& command) {
        child_process child(command[0], {command.begin() + 1, command.end()}, dir.path(), dir.path());
        if (child.wait(std::chrono::seconds(30)) != 0)
            throw std::runtime_error(command[0] + " failed: " + child.error_output());
    }

    void make_certificates() {
        for (const std::string ca : {"ca", "other-ca"})
            run({"/usr/bin/openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                 "-nodes", "-days", "1", "-subj", "/CN=" + ca, "-keyout", ca + ".key", "-out", ca + ".crt"});
        std::ofstream(file("san")) << "subjectAltName=IP:127.0.0.1\n";
        for (const std::string name : {"server", "client"}) {
            run({"/usr/bin/openssl", "req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                 "-subj", "/CN=" + name, "-keyout", name + ".key", "-out", name + ".csr"});
            run({"/usr/bin/openssl", "x509", "-req", "-in", name + ".csr", "-CA", "ca.crt", "-CAkey", "ca.key",
                 "-CAcreateserial", "-days", "1", "-extfile", "san", "-out", name + ".crt"});
            ::chmod(file(name + ".key").c_str(), 0600);
        }
    }
};

// A back end's MQTT client with a session of its own, subscribed at QoS 1; what it receives is kept
// as "<topic> <payload>". Persistent unless asked otherwise: the broker keeps what arrives while it
// is away. libmosquitto's own thread runs it and connects it again after a broker restart.
class mqtt_back_end {
public:
    mqtt_back_end(const mqtt_broker& broker, const std::string& id, std::vector<std::string> topics)
        : m_topics(std::move(topics)) {
        mosquitto_lib_init();
        m_client = mosquitto_new(id.c_str(), false, this);
        mosquitto_connect_callback_set(m_client, [](mosquitto* m, void* self, int) {
            for (const auto& topic : static_cast<mqtt_back_end*>(self)->m_topics)
                mosquitto_subscribe(m, nullptr, topic.c_str(), 1);
        });
        mosquitto_subscribe_callback_set(m_client, [](mosquitto*, void* self, int, int, const int*) {
            auto& client = *static_cast<mqtt_back_end*>(self);
            std::lock_guard<std::mutex> lock(client.m_mutex);
            ++client.m_subscribed;
            client.m_changed.notify_all();
        });
        mosquitto_message_callback_set(m_client, [](mosquitto*, void* self, const mosquitto_message* message) {
            auto& client = *static_cast<mqtt_back_end*>(self);
            std::lock_guard<std::mutex> lock(client.m_mutex);
            client.m_received.push_back(
                std::string(message->topic) + ' ' +
                std::string(static_cast<const char*>(message->payload), static_cast<std::size_t>(message->payloadlen)));
            client.m_changed.notify_all();
        });
        if (mosquitto_connect(m_client, "127.0.0.1", broker.port, 30) != MOSQ_ERR_SUCCESS ||
            mosquitto_loop_start(m_client) != MOSQ_ERR_SUCCESS)
            throw std::runtime_error("test client cannot connect");
        if (!wait([this] { return m_subscribed >= m_topics.size(); }))
            throw std::runtime_error("test client not subscribed");
    }
    ~mqtt_back_end() {
        mosquitto_disconnect(m_client);
        mosquitto_loop_stop(m_client, false);
        mosquitto_destroy(m_client);
    }

    void publish(const std::string& topic, const std::string& payload) {
        mosquitto_publish(m_client, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(), 1, false);
    }
    // Until `count` messages whose text holds `part` arrived; false after the bound.
    bool received(const std::string& part, std::size_t count = 1,
                  std::chrono::seconds bound = std::chrono::seconds(10)) {
        return wait([&] { return occurrences_of(part) >= count; }, bound);
    }
    std::vector<std::string> messages() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_received;
    }

private:
    std::size_t occurrences_of(const std::string& part) const {
        std::size_t count = 0;
        for (const auto& m : m_received)
            count += m.find(part) != std::string::npos;
        return count;
    }
    bool wait(const std::function<bool()>& holds, std::chrono::seconds bound = std::chrono::seconds(10)) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, bound, holds);
    }

    std::vector<std::string> m_topics;
    mosquitto* m_client = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_subscribed = 0;
    std::vector<std::string> m_received;
};

}  // namespace orx::test
