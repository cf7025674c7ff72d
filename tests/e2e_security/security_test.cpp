// The service with CURVE on its TCP channels, against real clients on
// 127.0.0.1: who gets through, what is refused, counted and logged, and the
// key files a start refuses.
#include "support/service_fixture.hpp"

#include <core/zmq/curve_keys.hpp>

#include <gmock/gmock.h>

#include <algorithm>
#include <map>
#include <regex>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

namespace {

using namespace orx::test;
namespace curve = orx::libs::core::zmq;
using ::testing::HasSubstr;
using namespace std::chrono_literals;

const std::string heartbeat = "00066553F100007B002F010400000A02010011223344556677000000000000000000000000000003E8"
                              "FFFFFFFF0096FFFE0000000000000000";
const std::vector<std::string> bound = {"binary.input", "binary.tmp_input", "binary.output", "json.input",
                                        "json.output"};

// Key pairs made by tarnwick-keygen, only the gateway's public key authorized,
// and a free port on 127.0.0.1 for every channel (the service's debug log and
// raw downlink connect to servers of the test).
struct site {
    site() {
        for (const char* name : {"service", "gateway", "stranger", "collector"})
            EXPECT_EQ(child_process(program("tarnwick-keygen"), {dir.file(name)}, dir.path()).wait(), 0);
        ::mkdir(dir.file("authorized").c_str(), 0700);
        std::ofstream(dir.file("authorized/gateway.key")) << read_file(dir.file("gateway.key"));
        // Held together until all are chosen, so that no port is given twice.
        std::vector<int> probes;
        for (const auto& channel : {"binary.input", "binary.tmp_input", "binary.output", "binary.tmp_output",
                                    "json.input", "json.output", "system.debug_port"}) {
            sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
            socklen_t size = sizeof address;
            probes.push_back(::socket(AF_INET, SOCK_STREAM, 0));
            ::bind(probes.back(), reinterpret_cast<sockaddr*>(&address), size);
            ::getsockname(probes.back(), reinterpret_cast<sockaddr*>(&address), &size);
            endpoint[channel] = "tcp://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
        }
        std::for_each(probes.begin(), probes.end(), ::close);
    }
    std::string configuration(const std::string& security) {
        auto at = [&](const std::string& channel) { return '"' + endpoint.at(channel) + '"'; };
        std::ofstream(dir.file("c.json")) << "{\"system\":{\"pidfile\":\"" << dir.file("pid") << "\",\"debug_port\":"
            << at("system.debug_port") << ",\"local_debug\":true},\"binary\":{\"input\":" << at("binary.input")
            << ",\"tmp_input\":" << at("binary.tmp_input") << ",\"output\":" << at("binary.output")
            << ",\"tmp_output\":" << at("binary.tmp_output") << "},\"json\":{\"input\":" << at("json.input")
            << ",\"output\":" << at("json.output") << "},\"parameters\":{\"config_file\":\"" TARNWICK_SOURCE_DIR
            << "/etc/parameters.json\"},\"statistics\":{\"textfile\":\"" << dir.file("prom") << "\"},"
            << "\"security\":{" << security << "}}";
        return dir.file("c.json");
    }
    // A client of a channel of the service with the named key pair, or plain; a
    // server for a channel the service connects to.
    zmq::socket_t socket(zmq::socket_type type, const std::string& channel, const std::string& key = "") {
        zmq::socket_t s(context, type);
        s.set(zmq::sockopt::linger, 0);
        if (key == "collector") {
            s.set(zmq::sockopt::curve_server, true);
            s.set(zmq::sockopt::curve_secretkey, secret(key));
            s.bind(endpoint.at(channel));
            return s;
        }
        if (!key.empty()) {
            s.set(zmq::sockopt::curve_serverkey, curve::to_z85(curve::read_public_key_file(dir.file("service.key"))));
            s.set(zmq::sockopt::curve_publickey, curve::to_z85(curve::read_public_key_file(dir.file(key + ".key"))));
            s.set(zmq::sockopt::curve_secretkey, secret(key));
        }
        if (type == zmq::socket_type::sub)
            s.set(zmq::sockopt::subscribe, "");
        s.connect(endpoint.at(channel));
        return s;
    }
    std::string secret(const std::string& key) {
        return curve::to_z85(curve::read_secret_key_file(dir.file(key + ".key_secret")).secret_key);
    }
    temp_dir dir;
    zmq::context_t context;
    std::map<std::string, std::string> endpoint;
};

std::string receive(zmq::socket_t& socket, std::chrono::milliseconds bound = 10s) {
    zmq::pollitem_t item{socket.handle(), 0, ZMQ_POLLIN, 0};
    zmq::message_t part;
    return zmq::poll(&item, 1, bound) > 0 && socket.recv(part) ? part.to_string() : std::string();
}

const std::string keys = "\"secret_key_file\":\"service.key_secret\",\"authorized_keys_dir\":\"authorized\"";

TEST(e2e_security, only_authorized_keys_pass_and_every_refusal_is_counted_and_logged) {
    site s;
    auto debug_log = s.socket(zmq::socket_type::pull, "system.debug_port", "collector");
    auto downlink = s.socket(zmq::socket_type::pull, "binary.tmp_output", "collector");
    child_process service(program("tarnwick"), {"-c", s.configuration(keys + ",\"server_public_key_file\":"
                                                                             "\"collector.key\"")}, s.dir.path(), s.dir.path());
    auto documents = s.socket(zmq::socket_type::sub, "json.output", "gateway");
    auto stranger_documents = s.socket(zmq::socket_type::sub, "json.output", "stranger");
    auto frames = s.socket(zmq::socket_type::push, "binary.input", "gateway");
    auto stranger = s.socket(zmq::socket_type::push, "binary.input", "stranger");
    stranger.send(zmq::str_buffer("not even a frame"));
    std::vector<zmq::socket_t> plain;
    for (const auto& channel : bound)
        plain.push_back(s.socket(channel.find("output") == channel.npos ? zmq::socket_type::push : zmq::socket_type::sub, channel));

    // Documents of frames sent before the subscription is in place are not kept.
    std::string document;
    for (int sent = 0; document.empty() && sent < 50; ++sent) {
        frames.send(zmq::buffer(heartbeat));
        document = receive(documents, 200ms);
    }
    EXPECT_THAT(document, HasSubstr("\"mac\":\"001122556677\""));
    auto requests = s.socket(zmq::socket_type::push, "json.input", "gateway");
    requests.send(zmq::str_buffer(R"({"mac":"001122556677","message":{"reboot":{}}})"));
    EXPECT_EQ(receive(downlink), "#win 080E00000600010002FFFF001122FFFE556677");
    EXPECT_THAT(receive(debug_log), HasSubstr("&tarnwick:"));

    std::vector<std::string> warnings{"connection refused from 127.0.0.1: key " +
                                      curve::to_z85(curve::read_public_key_file(s.dir.file("stranger.key"))) +
                                      " is not authorized"};
    for (const auto& channel : bound)
        warnings.push_back("connection refused from " + s.endpoint[channel] + ": ");
    EXPECT_TRUE(service.wait_for_error_output([&](const std::string& log) {
        return std::all_of(warnings.begin(), warnings.end(), [&](auto& w) { return log.find(w) != log.npos; });
    })) << service.error_output() << ::testing::PrintToString(s.endpoint);
    EXPECT_EQ(receive(stranger_documents, 0ms), "");
    service.signal(SIGTERM);
    ASSERT_EQ(service.wait(), 0);
    // Every attempt is counted; the two strangers share one warning for their address.
    std::smatch count;
    const auto statistics = read_file(s.dir.file("prom"));
    ASSERT_TRUE(std::regex_search(statistics, count, std::regex("\ntarnwick_connections_refused_total (\\d+)\n")));
    EXPECT_GT(std::stoi(count[1]), static_cast<int>(warnings.size()));
    const auto log = service.error_output();
    for (const auto& warning : warnings)
        EXPECT_EQ(log.find(warning), log.rfind(warning)) << warning;
}

struct refused_start { std::string security; mode_t secret_mode; std::string reason; };
class e2e_security_start : public ::testing::TestWithParam<refused_start> {};

TEST_P(e2e_security_start, is_refused_by_check_and_start_alike) {
    site s;
    ::chmod(s.dir.file("service.key_secret").c_str(), GetParam().secret_mode);
    const auto configuration = s.configuration(GetParam().security);
    for (const auto& arguments : std::vector<std::vector<std::string>>{{"-t", "-c", configuration},
                                                                        {"-c", configuration}}) {
        child_process service(program("tarnwick"), arguments, s.dir.path(), s.dir.path());
        EXPECT_EQ(service.wait(10s), 1) << arguments[0];
        EXPECT_THAT(service.error_output(), HasSubstr(GetParam().reason)) << arguments[0];
    }
}

INSTANTIATE_TEST_SUITE_P(
    key_files, e2e_security_start,
    ::testing::Values(refused_start{keys, 0640, "service.key_secret: is open to group or others (mode 0640)"},
                      refused_start{keys, 0604, "is open to group or others"},
                      refused_start{keys + ",\"server_public_key_file\":\"none.key\"", 0600, "none.key: cannot"},
                      refused_start{"\"secret_key_file\":\"service.key_secret\"", 0600, "security.authorized_keys"}));

TEST(e2e_security, installed_unit_is_sandboxed) {
    if (::access("/usr/bin/systemd-analyze", X_OK) != 0)
        GTEST_SKIP() << "no systemd-analyze";
    temp_dir dir;
    child_process analyze("/usr/bin/systemd-analyze",
                          {"security", "--offline=true", TARNWICK_SOURCE_DIR "/etc/tarnwick.service"}, dir.path());
    ASSERT_EQ(analyze.wait(30s), 0) << analyze.error_output();
    std::smatch level;
    const auto report = analyze.standard_output();
    ASSERT_TRUE(std::regex_search(report, level, std::regex("Overall exposure level for tarnwick.service: ([0-9.]+)")));
    EXPECT_LE(std::stod(level[1]), 2.5) << report;
}

}  // namespace
