#pragma once

// The service as the end-to-end tests run it: a configuration in a folder of its own, the peers
// of every channel, a taker of its debug log, and frames whose documents are known.

#include "support/service_process.hpp"

#include <core/zmq/curve_keys.hpp>
#include <core/zmq/curve_options.hpp>

#include <zmq.hpp>

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>

#include <sys/stat.h>

namespace orx::test {

inline std::string program(const std::string& name) {
    return std::string(TARNWICK_BINARY_DIR) + (name == "tarnwick" ? "/src/" : "/tools/") + name;
}

using libs::core::zmq::curve_key;
using libs::core::zmq::curve_key_pair;

// Makes the socket, before it binds or connects, a CURVE server holding `own`, or, given the
// server's public key, a CURVE client of that server.
inline void set_curve(zmq::socket_t& socket, const curve_key_pair& own, const curve_key* server = nullptr) {
    if (server)
        return libs::core::zmq::make_curve_client(socket.handle(), own, *server);
    // The test's own collectors: no ZAP handler runs in the test, so no domain.
    socket.set(zmq::sockopt::curve_server, true);
    socket.set(zmq::sockopt::curve_publickey, libs::core::zmq::to_z85(own.public_key));
    socket.set(zmq::sockopt::curve_secretkey, libs::core::zmq::to_z85(own.secret_key));
}

// A configuration in the folder with every channel on an ipc path there.
struct service_configuration {
    explicit service_configuration(const temp_dir& dir)
        : pidfile(dir.file("tarnwick.pid")), debug_port(dir.ipc("debug")), binary_input(dir.ipc("binary_input")),
          binary_tmp_input(dir.ipc("binary_tmp_input")), binary_output(dir.ipc("binary_output")),
          binary_tmp_output(dir.ipc("binary_tmp_output")), json_input(dir.ipc("json_input")),
          json_output(dir.ipc("json_output")), parameters(std::string(TARNWICK_SOURCE_DIR) + "/etc/parameters.json"),
          path(dir.file("tarnwick.json")), folder(dir.path()) {}

    void write() const {
        std::ofstream(path) << R"({"system": {"pidfile": ")" << pidfile << R"(", "debug_port": ")" << debug_port
                            << R"(", "local_debug": true}, "binary": {"input": ")" << binary_input
                            << R"(", "tmp_input": ")" << binary_tmp_input << R"(", "output": ")" << binary_output
                            << R"(", "tmp_output": ")" << binary_tmp_output << R"("}, "json": {"input": ")"
                            << json_input << R"(", "output": ")" << json_output
                            << R"("}, "parameters": {"config_file": ")" << parameters << R"("})"
                            << (curve ? R"(, "security": {"secret_key_file": ")" + folder +
                                            R"(/service.key_secret", "authorized_keys_dir": ")" + folder +
                                            R"(/authorized", "server_public_key_file": ")" + folder +
                                            R"(/collector.key"})"
                                      : "")
                            << (mqtt.empty() ? "" : R"(, "mqtt": )" + mqtt)
                            << (statistics_textfile.empty()
                                    ? "}"
                                    : R"(, "statistics": {"textfile": ")" + statistics_textfile + R"("}})");
    }

    // Every channel on a free TCP port of 127.0.0.1 with CURVE, over key files written to the
    // folder: service.key_secret, authorized/client.key (the one client admitted) and
    // collector.key (the peers the service connects to).
    void use_curve() {
        namespace keys = libs::core::zmq;
        curve = curve_keys{keys::generate_curve_key_pair(), keys::generate_curve_key_pair(),
                           keys::generate_curve_key_pair()};
        ::mkdir((folder + "/authorized").c_str(), 0700);
        keys::write_key_files(folder + "/service", curve->service);
        keys::write_key_files(folder + "/authorized/client", curve->client);
        keys::write_key_files(folder + "/collector", curve->collector);
        zmq::context_t probes;            // its end closes every probe before the service binds
        std::vector<zmq::socket_t> held;  // held until all are chosen, so that no port comes twice
        for (const auto& channel : {"binary.input", "binary.tmp_input", "binary.output", "json.input", "json.output",
                                    "binary.tmp_output", "system.debug_port"}) {
            held.emplace_back(probes, zmq::socket_type::pull).bind("tcp://127.0.0.1:*");
            endpoint(channel) = held.back().get(zmq::sockopt::last_endpoint);
        }
    }

    // The endpoint of a channel by its key in the file, as "binary.input".
    std::string& endpoint(const std::string& key) {
        for (auto [name, field] : {std::pair{"system.debug_port", &debug_port},
                                   {"binary.input", &binary_input},
                                   {"binary.tmp_input", &binary_tmp_input},
                                   {"binary.output", &binary_output},
                                   {"binary.tmp_output", &binary_tmp_output},
                                   {"json.input", &json_input},
                                   {"json.output", &json_output}})
            if (key == name)
                return *field;
        throw std::invalid_argument("no channel " + key);
    }

    std::string pidfile, debug_port, binary_input, binary_tmp_input, binary_output, binary_tmp_output, json_input,
        json_output, parameters, path;
    std::string folder;               // the service's folder, for files a test writes there
    std::string statistics_textfile;  // left out when empty
    std::string mqtt;                 // the "mqtt" group's JSON object; left out when empty
    // The key pairs of a service whose channels use CURVE, of the client its peers stand for and
    // of the collectors of its raw output and debug log; plain channels without.
    struct curve_keys {
        curve_key_pair service, client, collector;
    };
    std::optional<curve_keys> curve;

    // The channels the service binds, by their keys in the file; it connects the other two.
    static inline const std::vector<std::string> bound_channels = {"binary.input", "binary.tmp_input", "binary.output",
                                                                   "json.input", "json.output"};
};

// Frames with known documents.
namespace frames {

// A heartbeat: MOBILE node 0011223344556677, pos_freq 10, sublocation 1, x 1000, y -1, sl_z 150,
// z -2; time stamp 1700000000123 ms.
// clang-format off
inline const std::string heartbeat_payload =
    "0104" "0000" "0A" "02" "01" "0011223344556677" "000000000000000000000000"
    "000003E8" "FFFFFFFF" "0096" "FFFE" "0000000000000000";
// clang-format on
inline const std::string heartbeat_stamp = "6553F100007B";
inline const std::string heartbeat = "0006" + heartbeat_stamp + "002F" + heartbeat_payload;
inline const std::string heartbeat_obsolete =
    "~obsolete {\"hex\":\"" + heartbeat_payload + "\",\"mac\":\"001122556677\",\"ts\":\"2023-11-14T22:13:20.123Z\"}";
inline const std::string heartbeat_event =
    "~event {\"data\":{\"ntype\":\"MOBILE\",\"pos_freq\":10,\"sl_z\":150,\"sublocation_id\":1,\"x\":1000,\"y\":-1,"
    "\"z\":-2},\"mac\":\"001122556677\",\"ts\":\"2023-11-14T22:13:20.123Z\",\"type\":\"heartbeat\"}";

// The heartbeat stamped at the given millisecond.
inline std::string heartbeat_at(uint64_t milliseconds) {
    char stamp[13];
    std::snprintf(stamp, sizeof stamp, "%012" PRIX64, milliseconds);
    return "0006" + std::string(stamp) + "002F" + heartbeat_payload;
}

// The bytes that a hex text stands for, as the raw input takes them.
inline std::string bytes(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

inline const std::string reboot_request = R"({"mac":"001122aabbcc","message":{"reboot":{}}})";
// Its downlink message, whatever the sequence number.
inline const std::string reboot_downlink = "080E[0-9A-F]{2}000600010002FFFF001122FFFEAABBCC";

}  // namespace frames

inline const std::string nothing = "<nothing>";

// Sends a message of one part per text.
inline void send(zmq::socket_t& socket, const std::vector<std::string>& parts) {
    for (std::size_t i = 0; i < parts.size(); ++i)
        (void)socket.send(zmq::buffer(parts[i]), i + 1 < parts.size() ? zmq::send_flags::sndmore : zmq::send_flags{});
}

// The next message of the socket, or `nothing` after the bound.
inline std::string next(zmq::socket_t& socket, std::chrono::milliseconds bound = std::chrono::seconds(5)) {
    zmq::pollitem_t item{socket.handle(), 0, ZMQ_POLLIN, 0};
    zmq::message_t message;
    const bool arrived = zmq::poll(&item, 1, bound) > 0 && socket.recv(message, zmq::recv_flags::dontwait);
    return arrived ? message.to_string() : nothing;
}

inline std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// One service in a folder of its own, on the configuration there as the test adjusts it, run from
// the source folder with the given arguments ("@" begins the configuration's path). Its peers
// are connected before it starts, so that nothing it sends is lost for want of a connection, as
// CURVE peers when the configuration uses CURVE; the raw output's peer is left out when the test
// asks. A test that runs it in a way of its own asks
// not to start it, and sets `process` itself.
class service {
public:
    explicit service(const std::function<void(service_configuration&)>& adjust = {}, bool raw_output_taken = true,
                     std::vector<std::string> command_line = {"-c", "@"}, bool started = true)
        : config(dir), arguments(std::move(command_line)) {
        if (adjust)
            adjust(config);
        config.write();
        for (auto& a : arguments)
            a = a[0] == '@' ? config.path + a.substr(1) : a;
        for (auto* s : {&frames, &raw, &requests, &documents, &downlink, &raw_downlink, &debug})
            s->set(zmq::sockopt::linger, 0);
        // Its debug log lines are taken as they come, however many: lines left undelivered would
        // hold up its stop.
        debug.set(zmq::sockopt::rcvhwm, 0);
        if (config.curve) {
            for (auto* s : {&frames, &raw, &requests, &documents, &downlink})
                set_curve(*s, config.curve->client, &config.curve->service.public_key);
            for (auto* s : {&raw_downlink, &debug})
                set_curve(*s, config.curve->collector);
        }
        debug.bind(config.debug_port);
        for (auto* s : {&documents, &downlink})
            s->set(zmq::sockopt::subscribe, "");
        for (auto [s, endpoint] : {std::pair{&frames, config.binary_input},
                                   {&raw, config.binary_tmp_input},
                                   {&requests, config.json_input},
                                   {&documents, config.json_output},
                                   {&downlink, config.binary_output}})
            s->connect(endpoint);
        if (raw_output_taken)
            raw_downlink.bind(config.binary_tmp_output);
        if (started)
            start();
    }

    // Starts the service (again, once the last one ended).
    void start() {
        process = std::make_unique<child_process>(program("tarnwick"), arguments, dir.path(), TARNWICK_SOURCE_DIR);
    }

    // Until the service's log holds the text `times` times; false after the bound.
    bool logged(const std::string& text, std::size_t times = 1) const {
        return process->wait_for_error_output([&](const std::string& log) { return occurrences(log, text) >= times; });
    }

    // Sends heartbeats stamped 1, 2, ... ms until documents come out, then takes every document up
    // to the last heartbeat's event: nothing is left queued on the JSON output.
    ::testing::AssertionResult wait_until_converting() {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (int stamp = 1; std::chrono::steady_clock::now() < end; ++stamp) {
            send(frames, {frames::heartbeat_at(static_cast<uint64_t>(stamp))});
            char last_event[48];
            std::snprintf(last_event, sizeof last_event, ".%03dZ\",\"type\":\"heartbeat\"}", stamp);
            for (auto d = next(documents, std::chrono::milliseconds(200)); d != nothing; d = next(documents))
                if (d.find(last_event) != std::string::npos)
                    return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "no documents\n" << process->error_output();
    }

    temp_dir dir;
    service_configuration config;
    std::vector<std::string> arguments;
    zmq::context_t context;
    // What a gateway and a back end hold: pushers to the inputs, subscribers to the outputs, and
    // the raw output's puller.
    zmq::socket_t frames{context, zmq::socket_type::push}, raw{context, zmq::socket_type::push},
        requests{context, zmq::socket_type::push}, documents{context, zmq::socket_type::sub},
        downlink{context, zmq::socket_type::sub}, raw_downlink{context, zmq::socket_type::pull},
        debug{context, zmq::socket_type::pull};
    std::unique_ptr<child_process> process;
};

}  // namespace orx::test
