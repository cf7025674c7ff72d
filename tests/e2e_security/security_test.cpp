// The service with CURVE on its TCP channels, against real clients on
// 127.0.0.1: who gets through, what is refused, counted and logged, and the
// key files a start refuses.
#include "support/service_fixture.hpp"

#include <core/zmq/curve_keys.hpp>

#include <boost/algorithm/string/replace.hpp>
#include <gmock/gmock.h>

#include <cmath>
#include <map>

#include <sys/stat.h>

namespace {

using namespace orx::test;
namespace curve = orx::libs::core::zmq;
using type = zmq::socket_type;
using ::testing::HasSubstr;

// The channels the service binds, then the two it connects to.
const std::vector<std::string> channels = {"binary.input", "binary.tmp_input", "binary.output", "json.input",
                                           "json.output", "binary.tmp_output", "system.debug_port"};
const std::vector<std::string> bound(channels.begin(), channels.begin() + 5);

// Key pairs in the service's working folder, the gateway's alone in the
// authorized folder, and its configuration with a free port on 127.0.0.1 for
// every channel.
struct site {
    site() {
        ::mkdir(dir.file("authorized").c_str(), 0700);
        for (const std::string name : {"service", "authorized/gateway", "stranger", "collector"})
            curve::write_key_files(dir.file(name), keys[name] = curve::generate_curve_key_pair());
        std::string text = R"({"system":{"pidfile":"pid","local_debug":true,"debug_port":"system.debug_port"},)"
            R"("binary":{"input":"binary.input","tmp_input":"binary.tmp_input","output":"binary.output",)"
            R"("tmp_output":"binary.tmp_output"},"json":{"input":"json.input","output":"json.output"},)"
            R"("statistics":{"textfile":"prom"},"parameters":{"config_file":")" TARNWICK_SOURCE_DIR
            R"(/etc/parameters.json"},"security":{"secret_key_file":"service.key_secret",)"
            R"("authorized_keys_dir":"authorized","server_public_key_file":"collector.key"}})";
        zmq::context_t probes;  // its end closes every probe before the service binds
        std::vector<zmq::socket_t> held;  // held until all are chosen, so no port comes twice
        for (const auto& channel : channels) {
            held.emplace_back(probes, type::pull).bind("tcp://127.0.0.1:*");
            endpoint[channel] = held.back().get(zmq::sockopt::last_endpoint);
            boost::replace_all(text, '"' + channel + '"', '"' + endpoint[channel] + '"');
        }
        std::ofstream(dir.file("c.json")) << text;
    }
    // With the named key pair or plain: a client of the service, or the server
    // of a channel the service connects to.
    zmq::socket_t socket(type socket_type, const std::string& channel, const std::string& key = "") {
        zmq::socket_t s(context, socket_type);
        s.set(zmq::sockopt::linger, 0);
        s.set(zmq::sockopt::rcvtimeo, 10000);
        if (!key.empty()) {
            key == "collector" ? s.set(zmq::sockopt::curve_server, true)
                               : s.set(zmq::sockopt::curve_serverkey, curve::to_z85(keys["service"].public_key));
            s.set(zmq::sockopt::curve_publickey, curve::to_z85(keys[key].public_key));
            s.set(zmq::sockopt::curve_secretkey, curve::to_z85(keys[key].secret_key));
        }
        key == "collector" ? s.bind(endpoint[channel]) : s.connect(endpoint[channel]);
        return s;
    }
    temp_dir dir;
    zmq::context_t context;
    std::map<std::string, curve::curve_key_pair> keys;
    std::map<std::string, std::string> endpoint;
};

std::string receive(zmq::socket_t& socket) {
    zmq::message_t part;
    return socket.recv(part) ? part.to_string() : std::string();
}

// The number after the first `label` in the text; not a number without one.
double number_after(const std::string& text, const std::string& label) {
    return text.find(label) == text.npos ? std::nan("") : std::stod(text.substr(text.find(label) + label.size()));
}

TEST(e2e_security, only_authorized_keys_pass_and_every_refusal_is_counted_and_logged) {
    site s;
    auto debug_log = s.socket(type::pull, "system.debug_port", "collector");
    auto downlink = s.socket(type::pull, "binary.tmp_output", "collector");
    child_process service(program("tarnwick"), {"-c", s.dir.file("c.json")}, s.dir.path(), s.dir.path());
    auto documents = s.socket(type::sub, "json.output", "authorized/gateway");
    documents.set(zmq::sockopt::subscribe, "");
    auto frames = s.socket(type::push, "binary.input", "authorized/gateway");
    auto requests = s.socket(type::push, "json.input", "authorized/gateway");
    // Plain clients and strangers on every channel: each is refused in the
    // handshake, before its socket type matters, so a PUSH stands for any client.
    std::vector<zmq::socket_t> refused;
    for (const auto& key : {"", "stranger"})
        for (const auto& channel : bound)
            refused.push_back(s.socket(type::push, channel, key));

    // Documents of frames sent before the subscription is in place are not kept.
    documents.set(zmq::sockopt::rcvtimeo, 200);
    std::string document;
    for (int sent = 0; document.empty() && sent < 50; ++sent, document = receive(documents))
        frames.send(zmq::str_buffer("0006" "6553F100007B" "0008" "0999000000000000"));
    EXPECT_THAT(document, HasSubstr("\"mac\":\"099900000000\""));
    requests.send(zmq::str_buffer(R"({"mac":"001122556677","message":{"reboot":{}}})"));
    EXPECT_EQ(receive(downlink), "#win 080E00000600010002FFFF001122FFFE556677");
    EXPECT_THAT(receive(debug_log), HasSubstr("&tarnwick:"));

    // The strangers are named by their address, a plain client by the channel's
    // endpoint; the strangers' refusals share one warning, but each counts.
    std::vector<std::string> warnings{"connection refused from 127.0.0.1: key " +
                                      curve::to_z85(s.keys["stranger"].public_key) + " is not authorized"};
    for (const auto& channel : bound)
        warnings.push_back("connection refused from " + s.endpoint[channel] + ": ");
    for (const auto& w : warnings)
        EXPECT_TRUE(service.wait_for_error_output([&](const std::string& log) { return log.find(w) != log.npos; }));
    service.signal(SIGTERM);
    ASSERT_EQ(service.wait(), 0);
    EXPECT_GT(number_after(read_file(s.dir.file("prom")), "\ntarnwick_connections_refused_total "), warnings.size());
}

TEST(e2e_security, secret_key_open_to_the_group_fails_check_and_start) {
    site s;
    ::chmod(s.dir.file("service.key_secret").c_str(), 0640);
    for (const std::string flags : {"-tc", "-c"}) {
        child_process service(program("tarnwick"), {flags, s.dir.file("c.json")}, s.dir.path(), s.dir.path());
        EXPECT_EQ(service.wait(), 1) << flags;
        EXPECT_THAT(service.error_output(), HasSubstr("service.key_secret: is open to group or others (mode 0640)"));
    }
}

TEST(e2e_security, installed_unit_is_sandboxed) {
    if (::access("/usr/bin/systemd-analyze", X_OK) != 0)
        GTEST_SKIP() << "no systemd-analyze";
    temp_dir dir;
    child_process analyze("/usr/bin/systemd-analyze",
                          {"security", "--offline=true", TARNWICK_SOURCE_DIR "/etc/tarnwick.service"}, dir.path());
    ASSERT_EQ(analyze.wait(std::chrono::seconds(30)), 0) << analyze.error_output();
    EXPECT_LE(number_after(analyze.standard_output(), "for tarnwick.service: "), 2.5) << analyze.standard_output();
}

}  // namespace
