// tarnwick-tap: prints what a running service publishes, one line per message.
#include "common/endpoints.hpp"

#include <zmq.hpp>

#include <csignal>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const char* const usage_text =
    "usage: tarnwick-tap [-c config_file] [-j json_endpoint] [-b binary_endpoint] [-t topic]... [-n count]\n"
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
    "  -n COUNT  stop after COUNT messages\n"
    "  -h        this text\n"
    "\n"
    "Endpoints the service binds to every interface (tcp://*:7006) are reached on 127.0.0.1.\n";

volatile std::sig_atomic_t stop_requested = 0;

void on_signal(int) { stop_requested = 1; }

}  // namespace

int main(int argc, char** argv) {
    std::string config_file;
    orx::tools::endpoints chosen;
    std::vector<std::string> topics;
    bool json_only = false, binary_only = false;
    long long count = -1;
    int option = 0;
    while ((option = getopt(argc, argv, "c:j:b:t:JBn:h")) != -1) {
        switch (option) {
        case 'c': config_file = optarg; break;
        case 'j': chosen.m_json_output = optarg; break;
        case 'b': chosen.m_binary_output = optarg; break;
        case 't': topics.emplace_back(optarg); break;
        case 'J': json_only = true; break;
        case 'B': binary_only = true; break;
        case 'n': count = std::stoll(optarg); break;
        case 'h': std::cout << usage_text; return 0;
        default: std::cerr << usage_text; return 2;
        }
    }
    std::string json_endpoint, binary_endpoint;
    try {
        const auto endpoints = orx::tools::connectable(orx::tools::resolve_endpoints(config_file, chosen));
        json_endpoint = endpoints.m_json_output;
        binary_endpoint = endpoints.m_binary_output;
    } catch (const std::exception& e) {
        std::cerr << "tarnwick-tap: " << e.what() << "\n";
        return 2;
    }
    if (binary_only)
        json_endpoint.clear();
    if (json_only)
        binary_endpoint.clear();
    if (json_endpoint.empty() && binary_endpoint.empty()) {
        std::cerr << usage_text;
        return 2;
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
        json.connect(json_endpoint);
        items.push_back({json.handle(), 0, ZMQ_POLLIN, 0});
    }
    if (!binary_endpoint.empty()) {
        binary.set(zmq::sockopt::subscribe, "");
        binary.connect(binary_endpoint);
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
