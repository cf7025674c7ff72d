#pragma once

// One load run: a sender thread pushes frames (and downlink requests) at the chosen pace, a
// receiver thread takes the service's publications and measures each against its frame's send
// time, the calling thread reports progress once a second.

#include "common/client_keys.hpp"
#include "common/endpoints.hpp"
#include "frames.hpp"
#include "latency.hpp"

#include <array>
#include <chrono>
#include <cstdint>
#include <vector>

namespace orx::load {

struct run_options {
    tools::endpoints m_endpoints;                // addresses to connect to
    boost::optional<tools::client_keys> m_keys;  // CURVE keys for every socket, when the service asks for them
    double m_rate = 0;                           // frames per second; 0 sends flat out
    uint64_t m_count = 0;                        // frames to send; 0 for no limit
    double m_duration = 0;                       // seconds of sending; 0 for no limit
    bool m_downlink = false;                     // also send requests and take the downlink messages
    unsigned m_request_every = 10;               // one request per this many frames
    bool m_requests_only = false;                // send parameter set requests at the rate and no frames
    std::chrono::milliseconds m_settle{1000};    // quiet time that ends the run after the last send
    std::chrono::milliseconds m_wait{10000};     // how long the service may take to answer probes
    bool m_progress = true;                      // a progress line on stderr once a second
};

// Figures of one direction: frames and their documents, or requests and their downlink messages.
struct channel_figures {
    uint64_t m_sent = 0;
    uint64_t m_expected = 0;
    uint64_t m_received = 0;   // messages that named a sent frame or request
    uint64_t m_unmatched = 0;  // messages that named none (foreign, or later than the ring holds)
    latency_histogram m_latency;

    uint64_t lost() const { return m_expected > m_received ? m_expected - m_received : 0; }
};

struct run_result {
    bool m_answered = false;       // the service answered the probes in time
    bool m_stalled = false;        // the service stopped taking frames for longer than the wait
    double m_send_seconds = 0;     // first send to last send
    double m_receive_seconds = 0;  // first send to last measured message
    channel_figures m_uplink;
    channel_figures m_downlink;
    std::array<uint64_t, 5> m_kinds{};  // frames sent per frame_kind
};

// Raises std::runtime_error naming an endpoint that cannot be connected, before anything is sent.
run_result run(const run_options& options, std::vector<frame_template> frames);

// Ends the sending early (the run then settles and reports as usual); safe in a signal handler.
void request_stop();

}  // namespace orx::load
