#pragma once

#include "support/service_process.hpp"
#include "support/temp_dir.hpp"

#include <zmq.hpp>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <optional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orx::test {

inline std::string program(const std::string& name) {
    return std::string(TARNWICK_BINARY_DIR) + (name == "tarnwick" ? "/src/" : "/tools/") + name;
}

// A configuration in a temporary folder with every channel on an ipc path there.
struct service_configuration {
    explicit service_configuration(const temp_dir& dir)
        : pidfile(dir.file("tarnwick.pid")),
          debug_port(dir.ipc("debug")),
          binary_input(dir.ipc("binary_input")),
          binary_tmp_input(dir.ipc("binary_tmp_input")),
          binary_output(dir.ipc("binary_output")),
          binary_tmp_output(dir.ipc("binary_tmp_output")),
          json_input(dir.ipc("json_input")),
          json_output(dir.ipc("json_output")),
          parameters(std::string(TARNWICK_SOURCE_DIR) + "/etc/parameters.json"),
          path(dir.file("tarnwick.json")) {}

    std::string text() const {
        return "{\n"
               "  \"system\": {\"pidfile\": \"" + pidfile + "\", \"debug_port\": \"" + debug_port +
               "\", \"local_debug\": true},\n"
               "  \"binary\": {\"input\": \"" + binary_input + "\", \"tmp_input\": \"" + binary_tmp_input +
               "\", \"output\": \"" + binary_output + "\", \"tmp_output\": \"" + binary_tmp_output + "\"},\n"
               "  \"json\": {\"input\": \"" + json_input + "\", \"output\": \"" + json_output + "\"},\n"
               "  \"parameters\": {\"config_file\": \"" + parameters + "\"}" +
               (statistics_textfile.empty() ? std::string()
                                            : ",\n  \"statistics\": {\"textfile\": \"" + statistics_textfile + "\"}") +
               "\n}\n";
    }
    void write() const { std::ofstream(path) << text(); }

    std::string pidfile, debug_port, binary_input, binary_tmp_input, binary_output, binary_tmp_output, json_input,
        json_output, parameters, path;
    std::string statistics_textfile;  // left out of the file when empty
};

// Takes the service's debug log lines as they come, so that its queue never
// fills and its stop is not held up delivering them.
class debug_sink {
public:
    explicit debug_sink(const std::string& endpoint) : m_socket(m_context, zmq::socket_type::pull) {
        m_socket.set(zmq::sockopt::linger, 0);
        m_socket.set(zmq::sockopt::rcvtimeo, 100);
        m_socket.bind(endpoint);
        m_thread = std::thread([this] {
            while (!m_stop) {
                zmq::message_t message;
                if (m_socket.recv(message)) {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_lines.push_back(message.to_string());
                    m_arrived.notify_all();
                }
            }
        });
    }
    // Waits until a line holding the text has arrived; false after the bound.
    bool wait_for(const std::string& text, std::chrono::milliseconds bound = std::chrono::seconds(5)) const {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_arrived.wait_for(lock, bound, [&] {
            for (const auto& line : m_lines)
                if (line.find(text) != std::string::npos)
                    return true;
            return false;
        });
    }

    ~debug_sink() {
        m_stop = true;
        m_thread.join();
    }

private:
    zmq::context_t m_context;
    zmq::socket_t m_socket;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_arrived;
    std::vector<std::string> m_lines;
    std::thread m_thread;
};

// The peers of a running service: what a gateway and a back end would hold.
class service_peers {
public:
    explicit service_peers(const service_configuration& c)
        : m_binary_input(m_context, zmq::socket_type::push),
          m_binary_tmp_input(m_context, zmq::socket_type::push),
          m_json_input(m_context, zmq::socket_type::push),
          m_json_output(m_context, zmq::socket_type::sub),
          m_binary_output(m_context, zmq::socket_type::sub),
          m_binary_tmp_output(m_context, zmq::socket_type::pull) {
        for (auto* s : {&m_binary_input, &m_binary_tmp_input, &m_json_input, &m_json_output, &m_binary_output,
                        &m_binary_tmp_output})
            s->set(zmq::sockopt::linger, 0);
        m_binary_input.connect(c.binary_input);
        m_binary_tmp_input.connect(c.binary_tmp_input);
        m_json_input.connect(c.json_input);
        m_json_output.set(zmq::sockopt::subscribe, "");
        m_json_output.connect(c.json_output);
        m_binary_output.set(zmq::sockopt::subscribe, "");
        m_binary_output.connect(c.binary_output);
        m_binary_tmp_output.bind(c.binary_tmp_output);
    }

    void send_frame(const std::string& hex) { m_binary_input.send(zmq::buffer(hex), zmq::send_flags::none); }
    void send_raw(const std::vector<std::string>& parts) {
        for (std::size_t i = 0; i < parts.size(); ++i)
            m_binary_tmp_input.send(zmq::buffer(parts[i]),
                                    i + 1 < parts.size() ? zmq::send_flags::sndmore : zmq::send_flags::none);
    }
    void send_request(const std::string& json) { m_json_input.send(zmq::buffer(json), zmq::send_flags::none); }

    // The next message of a channel, or "<nothing>" after the bound.
    std::string json_document(std::chrono::milliseconds bound = std::chrono::seconds(5)) {
        return receive(m_json_output, bound);
    }
    std::string binary_output(std::chrono::milliseconds bound = std::chrono::seconds(5)) {
        return receive(m_binary_output, bound);
    }
    std::string binary_tmp_output(std::chrono::milliseconds bound = std::chrono::seconds(5)) {
        return receive(m_binary_tmp_output, bound);
    }

    // Sends the frame until its first document arrives: the service is up and the
    // subscription has reached it. Returns that document.
    std::string wait_until_converting(const std::string& hex, std::chrono::seconds bound = std::chrono::seconds(10)) {
        const auto end = std::chrono::steady_clock::now() + bound;
        while (std::chrono::steady_clock::now() < end) {
            send_frame(hex);
            const auto document = json_document(std::chrono::milliseconds(200));
            if (document != "<nothing>")
                return document;
        }
        return "<nothing>";
    }

    // Drops whatever is still queued on the JSON output.
    void drain_json(std::chrono::milliseconds quiet = std::chrono::milliseconds(300)) {
        while (json_document(quiet) != "<nothing>") {
        }
    }

    // The next message of the socket, or "<nothing>" after the bound.
    static std::string receive(zmq::socket_t& socket, std::chrono::milliseconds bound) {
        zmq::pollitem_t item{socket.handle(), 0, ZMQ_POLLIN, 0};
        if (zmq::poll(&item, 1, bound) <= 0)
            return "<nothing>";
        zmq::message_t message;
        if (!socket.recv(message, zmq::recv_flags::dontwait))
            return "<nothing>";
        return message.to_string();
    }

private:
    zmq::context_t m_context;
    zmq::socket_t m_binary_input, m_binary_tmp_input, m_json_input, m_json_output, m_binary_output,
        m_binary_tmp_output;
};

// A configuration in a folder of its own, written, and a sink for the debug log
// of the service the test starts.
class service_run : public ::testing::Test {
protected:
    service_run() : m_config(m_dir), m_debug(m_config.debug_port) { m_config.write(); }

    // The service, started with the given command line or else with the configuration.
    std::unique_ptr<child_process> start(std::optional<std::vector<std::string>> arguments = std::nullopt) {
        return std::make_unique<child_process>(
            program("tarnwick"), arguments ? *arguments : std::vector<std::string>{"-c", m_config.path}, m_dir.path());
    }

    temp_dir m_dir;
    service_configuration m_config;
    debug_sink m_debug;
};

// Frames with known documents.
namespace frames {

// A heartbeat: MOBILE node 0011223344556677, pos_freq 10, sublocation 1,
// x 1000, y -1, sl_z 150, z -2; time stamp 1700000000123 ms.
inline const std::string heartbeat_payload =
    "0104" "0000" "0A" "02" "01" "0011223344556677" "000000000000000000000000"
    "000003E8" "FFFFFFFF" "0096" "FFFE" "0000000000000000";
inline const std::string heartbeat = "0006" "6553F100007B" "002F" + heartbeat_payload;
inline const std::string heartbeat_obsolete =
    "~obsolete {\"hex\":\"" + heartbeat_payload + "\",\"mac\":\"001122556677\",\"ts\":\"2023-11-14T22:13:20.123Z\"}";
inline const std::string heartbeat_event =
    "~event {\"data\":{\"ntype\":\"MOBILE\",\"pos_freq\":10,\"sl_z\":150,\"sublocation_id\":1,\"x\":1000,\"y\":-1,"
    "\"z\":-2},\"mac\":\"001122556677\",\"ts\":\"2023-11-14T22:13:20.123Z\",\"type\":\"heartbeat\"}";

}  // namespace frames

}  // namespace orx::test
