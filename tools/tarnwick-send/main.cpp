// tarnwick-send: pushes hex gateway frames and JSON requests to a running service.
#include "common/client_keys.hpp"
#include "common/endpoints.hpp"
#include "common/input_line.hpp"
#include "common/option_number.hpp"
#include "common/sockets.hpp"
#include "common/tool_main.hpp"

#include <zmq.hpp>

#include <chrono>
#include <fstream>
#include <iostream>
#include <string>

namespace {

const char* const usage_text =
    "usage: tarnwick-send [-c config_file] [-b binary_endpoint] [-j json_endpoint] [-l wait_ms]\n"
    "                     [--key FILE --server-key FILE] [file]\n"
    "\n"
    "Pushes gateway frames and back-end requests to a running tarnwick, one per line, from the file\n"
    "or from standard input. A line that begins with \"{\" (blanks around a line do not count) is a\n"
    "JSON request and goes to the service's \"json\"/\"input\" channel; any other non-empty line is a\n"
    "hex gateway frame and goes to \"binary\"/\"input\".\n"
    "\n"
    "  -c FILE  take both endpoints from the service's configuration file\n"
    "  -b EP    endpoint of \"binary\"/\"input\" (overrides -c)\n"
    "  -j EP    endpoint of \"json\"/\"input\" (overrides -c)\n"
    "  -l MS    how long the service may take to take each message, 1 to 3600000 (default 5000)\n"
    "  --key FILE         this tool's secret key file (NAME.key_secret of tarnwick-keygen)\n"
    "  --server-key FILE  the service's public key file: with --key, every channel is CURVE\n"
    "  -h       this text\n"
    "\n"
    "Endpoints the service binds to every interface (tcp://*:7001) are reached on 127.0.0.1.\n"
    "Exit status: 0 every line sent (or skipped), 1 a wrong command line or configuration, or a\n"
    "message that no service took within the wait.\n";

constexpr long long max_wait_ms = 3600000;

// Queues one message once a peer can take it. The sockets are ZMQ_IMMEDIATE: nothing is queued
// for a connection that is not up, so a socket is writable only while the service is connected
// and has room; false when that did not happen within the wait.
bool deliver(zmq::socket_t& socket, boost::string_view text, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (socket.send(zmq::buffer(text.data(), text.size()), zmq::send_flags::dontwait))
            return true;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        zmq::pollitem_t item{socket.handle(), 0, ZMQ_POLLOUT, 0};
        zmq::poll(&item, 1, left);
    }
}

int send_lines(int argc, char** argv) {
    const option options[] = {TARNWICK_KEY_OPTIONS, {"help", no_argument, nullptr, 'h'}, {nullptr, 0, nullptr, 0}};
    std::string config_file;
    orx::tools::endpoints chosen;
    orx::tools::key_files key_files;
    std::chrono::milliseconds wait(5000);
    const int operand = orx::tools::read_options(
        argc, argv, "c:b:j:l:h", options, usage_text, 1, [&](int option, const char* argument) {
            switch (option) {
            case 'c': config_file = argument; return true;
            case 'b': chosen.m_binary_input = argument; return true;
            case 'j': chosen.m_json_input = argument; return true;
            case 'l':
                wait = std::chrono::milliseconds(orx::tools::whole_option("-l", argument, 1, max_wait_ms));
                return true;
            default: return orx::tools::set_key_file(option, argument, key_files);
            }
        });
    const auto keys = orx::tools::read_client_keys(key_files);
    const auto endpoints = orx::tools::connectable(orx::tools::resolve_endpoints(config_file, chosen));
    const std::string& binary_endpoint = endpoints.m_binary_input;
    const std::string& json_endpoint = endpoints.m_json_input;
    if (binary_endpoint.empty() && json_endpoint.empty()) {
        std::cerr << usage_text;
        return 1;
    }

    std::ifstream file;
    if (operand < argc) {
        file.open(argv[operand]);
        if (!file)
            throw std::runtime_error(std::string("cannot open ") + argv[operand]);
    }
    std::istream& input = operand < argc ? static_cast<std::istream&>(file) : std::cin;

    zmq::context_t context;
    zmq::socket_t binary(context, zmq::socket_type::push);
    zmq::socket_t json(context, zmq::socket_type::push);
    for (auto* socket : {&binary, &json}) {
        socket->set(zmq::sockopt::linger, static_cast<int>(wait.count()));
        socket->set(zmq::sockopt::immediate, true);
    }
    if (!binary_endpoint.empty())
        orx::tools::connect(binary, binary_endpoint, keys);
    if (!json_endpoint.empty())
        orx::tools::connect(json, json_endpoint, keys);

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
        if (!deliver(is_json ? json : binary, read.m_text, wait)) {
            std::cerr << "tarnwick-send: no service took a message on " << (is_json ? json_endpoint : binary_endpoint)
                      << " within " << wait.count() << " ms; " << sent << " sent\n";
            return 1;
        }
        ++sent;
    }
    std::cerr << "tarnwick-send: " << sent << " sent";
    if (skipped)
        std::cerr << ", " << skipped << " skipped (no endpoint for them)";
    std::cerr << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return orx::tools::run_tool("tarnwick-send", 1, [&] { return send_lines(argc, argv); });
}
