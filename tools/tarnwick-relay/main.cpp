// tarnwick-relay: a null service for measuring the load tool and the transport alone.
//
// It binds the service's channels and, without converting anything, publishes per gateway frame
// as many messages as the service would, of about the sizes of its documents, each carrying the
// frame's time stamp as "ts" text; per request with a 12-character "mac" it publishes one downlink
// message addressed like the service's. One thread, one loop, like the service.

#include "common/endpoint_options.hpp"
#include "common/load_profile.hpp"
#include "common/option_number.hpp"
#include "common/sockets.hpp"
#include "common/tool_main.hpp"

#include <converter_utils.hpp>
#include <core/timestamp.hpp>

#include <zmq.hpp>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include <getopt.h>

namespace {

using namespace orx;

const char* const usage_text =
    "Usage: tarnwick-relay [-c FILE] [--binary-input EP] [--binary-output EP] [--json-input EP]\n"
    "                      [--json-output EP] [--sndhwm N]\n"
    "Binds the four channels of the service (from its configuration file, options win) and answers\n"
    "each frame and request with as many messages as the service would, without converting.\n"
    "--sndhwm N sets the publishers' send high-water mark (default 1000, as the service; 0: none).\n"
    "Prints \"ready\" on stdout once bound; stops on SIGINT or SIGTERM.\n"
    "Exit status: 0 stopped, 1 a wrong command line or configuration, or an endpoint not bound.\n";

constexpr std::size_t drain_batch = 1024;
// ZeroMQ's own default, which the service keeps: a subscriber that falls this far behind loses messages.
constexpr int default_send_hwm = 1000;

volatile std::sig_atomic_t stop_requested = 0;
extern "C" void on_stop_signal(int) { stop_requested = 1; }

struct counters {
    unsigned long long m_frames = 0;
    unsigned long long m_refused = 0;
    unsigned long long m_documents = 0;
    unsigned long long m_requests = 0;
    unsigned long long m_downlink = 0;
};

class relay {
public:
    relay(zmq::context_t& context, const tools::endpoints& bound, int send_hwm)
        : m_frames_in(context, zmq::socket_type::pull), m_downlink_out(context, zmq::socket_type::pub),
          m_requests_in(context, zmq::socket_type::pull), m_documents_out(context, zmq::socket_type::pub) {
        m_downlink_out.set(zmq::sockopt::sndhwm, send_hwm);
        m_documents_out.set(zmq::sockopt::sndhwm, send_hwm);
        tools::bind(m_frames_in, bound.m_binary_input);
        tools::bind(m_downlink_out, bound.m_binary_output);
        tools::bind(m_requests_in, bound.m_json_input);
        tools::bind(m_documents_out, bound.m_json_output);
        for (auto* socket : {&m_frames_in, &m_downlink_out, &m_requests_in, &m_documents_out})
            socket->set(zmq::sockopt::linger, 0);
    }

    void run() {
        zmq::pollitem_t items[] = {{m_frames_in.handle(), 0, ZMQ_POLLIN, 0},
                                   {m_requests_in.handle(), 0, ZMQ_POLLIN, 0}};
        while (!stop_requested) {
            try {
                zmq::poll(items, 2, std::chrono::milliseconds(200));
            } catch (const zmq::error_t& e) {
                if (e.num() != EINTR)
                    throw;
                continue;
            }
            if (items[0].revents & ZMQ_POLLIN)
                drain(m_frames_in, &relay::on_frame);
            if (items[1].revents & ZMQ_POLLIN)
                drain(m_requests_in, &relay::on_request);
        }
    }

    const counters& figures() const { return m_counters; }

private:
    void drain(zmq::socket_t& socket, void (relay::*handle)(boost::string_view)) {
        zmq::message_t message;
        for (std::size_t i = 0; i < drain_batch && socket.recv(message, zmq::recv_flags::dontwait); ++i)
            (this->*handle)(boost::string_view(message.data<char>(), message.size()));
    }

    void on_frame(boost::string_view hex) {
        ++m_counters.m_frames;
        const auto frame = load_profile::read_frame(hex);
        if (!frame) {
            ++m_counters.m_refused;
            return;
        }
        const std::string ts = libs::core::timestamp(frame->m_timestamp_ms).to_iso_8601(true, 'T', true);
        for (const auto& document : load_profile::documents_of(frame->m_data)) {
            m_text.assign("~");
            m_text.append(document.m_topic.data(), document.m_topic.size());
            m_text += ' ';
            const std::size_t document_at = m_text.size();
            m_text += "{\"ts\":\"";
            m_text += ts;
            m_text += "\",\"pad\":\"";
            const std::size_t document_size = m_text.size() - document_at + 2;  // with the closing "}
            if (document.m_size > document_size)
                m_text.append(document.m_size - document_size, 'x');
            m_text += "\"}";
            send(m_documents_out, m_text);
            ++m_counters.m_documents;
        }
    }

    // The request's MAC text is found, not parsed; the message is a reboot's in size and shape.
    void on_request(boost::string_view text) {
        ++m_counters.m_requests;
        const boost::string_view key = "\"mac\":\"";
        const auto at = text.find(key);
        if (at == boost::string_view::npos || text.size() < at + key.size() + 13 || text[at + key.size() + 12] != '"')
            return;
        const auto mac = text.substr(at + key.size(), 12);
        m_text.assign("080E");
        append_hex(m_text, m_sequence_number++, 2);
        m_text += "000600010002FFFF";
        m_text.append(mac.data(), 6);
        m_text += "FFFE";
        m_text.append(mac.data() + 6, 6);
        send(m_downlink_out, m_text);
        ++m_counters.m_downlink;
    }

    static void send(zmq::socket_t& socket, const std::string& text) {
        (void)socket.send(zmq::buffer(text), zmq::send_flags::none);
    }

    zmq::socket_t m_frames_in;
    zmq::socket_t m_downlink_out;
    zmq::socket_t m_requests_in;
    zmq::socket_t m_documents_out;
    std::string m_text;
    uint8_t m_sequence_number = 0;
    counters m_counters;
};

int relay_channels(int argc, char** argv) {
    enum { SNDHWM = 1100 };
    const option options[] = {TARNWICK_ENDPOINT_OPTIONS,
                              {"sndhwm", required_argument, nullptr, SNDHWM},
                              {"help", no_argument, nullptr, 'h'},
                              {nullptr, 0, nullptr, 0}};
    std::string config_file;
    int send_hwm = default_send_hwm;
    tools::endpoints chosen;
    tools::read_options(argc, argv, "c:h", options, usage_text, 1, [&](int option, const char* argument) {
        if (option == 'c')
            config_file = argument;
        else if (option == SNDHWM)
            send_hwm = static_cast<int>(tools::whole_option("--sndhwm", argument, 0, INT_MAX));
        else
            return tools::set_endpoint(option, argument, chosen);
        return true;
    });
    std::signal(SIGINT, on_stop_signal);
    std::signal(SIGTERM, on_stop_signal);
    zmq::context_t context(1);
    const auto bound = tools::resolve_endpoints(config_file, chosen);
    tools::require_endpoints(bound, true);
    relay loop(context, bound, send_hwm);
    std::cout << "ready" << std::endl;
    loop.run();
    const auto& figures = loop.figures();
    std::fprintf(stderr, "tarnwick-relay: %llu frames (%llu refused), %llu documents, %llu requests, %llu downlink\n",
                 figures.m_frames, figures.m_refused, figures.m_documents, figures.m_requests, figures.m_downlink);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return tools::run_tool("tarnwick-relay", 1, [&] { return relay_channels(argc, argv); });
}
