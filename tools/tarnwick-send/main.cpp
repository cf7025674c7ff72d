// tarnwick-send: pushes hex gateway frames and JSON requests to a running service.
#include "common/endpoints.hpp"
#include "common/input_line.hpp"

#include <zmq.hpp>

#include <fstream>
#include <iostream>
#include <string>

#include <unistd.h>

namespace {

const char* const usage_text =
    "usage: tarnwick-send [-c config_file] [-b binary_endpoint] [-j json_endpoint] [-l linger_ms] [file]\n"
    "\n"
    "Pushes gateway frames and back-end requests to a running tarnwick, one per line, from the file\n"
    "or from standard input. A line that begins with \"{\" (blanks around a line do not count) is a\n"
    "JSON request and goes to the service's \"json\"/\"input\" channel; any other non-empty line is a\n"
    "hex gateway frame and goes to \"binary\"/\"input\".\n"
    "\n"
    "  -c FILE  take both endpoints from the service's configuration file\n"
    "  -b EP    endpoint of \"binary\"/\"input\" (overrides -c)\n"
    "  -j EP    endpoint of \"json\"/\"input\" (overrides -c)\n"
    "  -l MS    how long to wait for delivery before giving up (default 5000)\n"
    "  -h       this text\n"
    "\n"
    "Endpoints the service binds to every interface (tcp://*:7001) are reached on 127.0.0.1.\n";

}  // namespace

int main(int argc, char** argv) {
    std::string config_file;
    orx::tools::endpoints chosen;
    int linger = 5000;
    int option = 0;
    while ((option = getopt(argc, argv, "c:b:j:l:h")) != -1) {
        switch (option) {
        case 'c': config_file = optarg; break;
        case 'b': chosen.m_binary_input = optarg; break;
        case 'j': chosen.m_json_input = optarg; break;
        case 'l': linger = std::stoi(optarg); break;
        case 'h': std::cout << usage_text; return 0;
        default: std::cerr << usage_text; return 2;
        }
    }

    std::string binary_endpoint, json_endpoint;
    try {
        const auto endpoints = orx::tools::connectable(orx::tools::resolve_endpoints(config_file, chosen));
        binary_endpoint = endpoints.m_binary_input;
        json_endpoint = endpoints.m_json_input;
    } catch (const std::exception& e) {
        std::cerr << "tarnwick-send: " << e.what() << "\n";
        return 2;
    }
    if (binary_endpoint.empty() && json_endpoint.empty()) {
        std::cerr << usage_text;
        return 2;
    }

    std::ifstream file;
    if (optind < argc) {
        file.open(argv[optind]);
        if (!file) {
            std::cerr << "tarnwick-send: cannot open " << argv[optind] << "\n";
            return 2;
        }
    }
    std::istream& input = optind < argc ? static_cast<std::istream&>(file) : std::cin;

    zmq::context_t context;
    zmq::socket_t binary(context, zmq::socket_type::push);
    zmq::socket_t json(context, zmq::socket_type::push);
    for (auto* socket : {&binary, &json})
        socket->set(zmq::sockopt::linger, linger);
    if (!binary_endpoint.empty())
        binary.connect(binary_endpoint);
    if (!json_endpoint.empty())
        json.connect(json_endpoint);

    std::size_t sent = 0, skipped = 0;
    std::string line;
    while (std::getline(input, line)) {
        const auto read = orx::tools::read_input_line(line);
        if (read.m_kind == orx::tools::input_line::EMPTY)
            continue;
        const bool is_json = read.m_kind == orx::tools::input_line::REQUEST;
        if ((is_json && json_endpoint.empty()) || (!is_json && binary_endpoint.empty())) {
            ++skipped;
            continue;
        }
        (is_json ? json : binary).send(zmq::buffer(read.m_text.data(), read.m_text.size()), zmq::send_flags::none);
        ++sent;
    }
    std::cerr << "tarnwick-send: " << sent << " sent";
    if (skipped)
        std::cerr << ", " << skipped << " skipped (no endpoint for them)";
    std::cerr << "\n";
    return 0;
}
