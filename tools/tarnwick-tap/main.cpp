// tarnwick-tap: prints what a running service publishes, one line per message.
#include "common/client_keys.hpp"
#include "common/endpoints.hpp"
#include "common/option_number.hpp"
#include "common/sockets.hpp"
#include "common/tool_main.hpp"

#include <zmq.hpp>

#include <climits>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

namespace {

const char* const usage_text =
    "usage: tarnwick-tap [-c config_file] [-j json_endpoint] [-b binary_endpoint] [-t topic]... [-n count]\n"
    "                    [--key FILE --server-key FILE]\n"
    "\n"
    "Subscribes to a running tarnwick's outputs and prints one line per message: the JSON documents of\n"
    "\"json\"/\"output\" as they are published (\"~<topic> <document>\") and the downlink messages of\n"
    "\"binary\"/\"output\" prefixed with \"> \".\n"
    "\n"
    "  -c FILE   take both endpoints from the service's configuration file\n"
    "  -j EP     endpoint of \"json\"/\"output\" (overrides -c)\n"
    "  -b EP     endpoint of \"binary\"/\"output\" (overrides -c)\n"
    "  -t TOPIC  only documents of this topic (event, obsolete, pos, param, ...); may be repeated\n"
    "  -J        JSON documents only;  -B  downlink messages only\n"
    "  -n COUNT  stop after COUNT messages (at least 1)\n"
    "  --key FILE         this tool's secret key file (NAME.key_secret of tarnwick-keygen)\n"
    "  --server-key FILE  the service's public key file: with --key, every channel is CURVE\n"
    "  -h        this text\n"
    "\n"
    "Endpoints the service binds to every interface (tcp://*:7006) are reached on 127.0.0.1.\n"
    "Exit status: 0 stopped by its count or a signal, 1 a wrong command line or configuration.\n";

volatile std::sig_atomic_t stop_requested = 0;

void on_signal(int) { stop_requested = 1; }

int tap(int argc, char** argv) {
    const option options[] = {TARNWICK_KEY_OPTIONS, {"help", no_argument, nullptr, 'h'}, {nullptr, 0, nullptr, 0}};
    std::string config_file;
    orx::tools::endpoints chosen;
    std::vector<std::string> topics;
    bool json_only = false, binary_only = false;
    long long count = -1;
    orx::tools::key_files key_files;
    orx::tools::read_options(argc, argv, "c:j:b:t:JBn:h", options, usage_text, 1,
                             [&](int option, const char* argument) {
                                 switch (option) {
                                 case 'c': config_file = argument; return true;
                                 case 'j': chosen.m_json_output = argument; return true;
                                 case 'b': chosen.m_binary_output = argument; return true;
                                 case 't': topics.emplace_back(argument); return true;
                                 case 'J': json_only = true; return true;
                                 case 'B': binary_only = true; return true;
                                 case 'n': count = orx::tools::whole_option("-n", argument, 1, LLONG_MAX); return true;
                                 default: return orx::tools::set_key_file(option, argument, key_files);
                                 }
                             });
    const auto keys = orx::tools::read_client_keys(key_files);
    const auto endpoints = orx::tools::connectable(orx::tools::resolve_endpoints(config_file, chosen));
    std::string json_endpoint = endpoints.m_json_output;
    std::string binary_endpoint = endpoints.m_binary_output;
    if (binary_only)
        json_endpoint.clear();
    if (json_only)
        binary_endpoint.clear();
    if (json_endpoint.empty() && binary_endpoint.empty()) {
        std::cerr << usage_text;
        return 1;
    }

    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);

    zmq::context_t context;
    zmq::socket_t json(context, zmq::socket_type::sub);
    zmq::socket_t binary(context, zmq::socket_type::sub);
    std::vector<zmq::pollitem_t> items;
    if (!json_endpoint.empty()) {
        if (topics.empty())
            json.set(zmq::sockopt::subscribe, "");
        for (const auto& topic : topics)
            json.set(zmq::sockopt::subscribe, "~" + topic + " ");
        orx::tools::connect(json, json_endpoint, keys);
        items.push_back({json.handle(), 0, ZMQ_POLLIN, 0});
    }
    if (!binary_endpoint.empty()) {
        binary.set(zmq::sockopt::subscribe, "");
        orx::tools::connect(binary, binary_endpoint, keys);
        items.push_back({binary.handle(), 0, ZMQ_POLLIN, 0});
    }

    while (!stop_requested && count != 0) {
        try {
            if (zmq::poll(items, std::chrono::milliseconds(200)) <= 0)
                continue;
        } catch (const zmq::error_t&) {
            break;  // interrupted by a signal
        }
        for (const auto& item : items) {
            if (!(item.revents & ZMQ_POLLIN))
                continue;
            const bool is_json = item.socket == json.handle();
            zmq::message_t message;
            if (!(is_json ? json : binary).recv(message, zmq::recv_flags::dontwait))
                continue;
            std::cout << (is_json ? "" : "> ") << message.to_string_view() << std::endl;
            if (count > 0 && --count == 0)
                break;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return orx::tools::run_tool("tarnwick-tap", 1, [&] { return tap(argc, argv); });
}
