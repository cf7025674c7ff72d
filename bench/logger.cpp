// The per-frame debug line ("binary_input: %1%" with the frame's text): what it
// costs while nobody could receive it, with the debug socket connected but no
// peer (the service's state when no one listens: the line is not even formatted),
// and with a peer taking lines.

#include <core/logger.hpp>

#include <benchmark/benchmark.h>
#include <zmq.hpp>

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

const std::string frame(120, 'A');

void log_frames(benchmark::State& state, orx::libs::core::logger& logger) {
    const boost::string_view text(frame);
    for (auto _ : state)
        logger.debug("binary_input: %1%") % text;
    state.SetItemsProcessed(state.iterations());
}

std::string endpoint(const char* name) {
    return "ipc:///tmp/tarnwick-bench-" + std::to_string(::getpid()) + "-" + name;
}

void debug_line_unconnected(benchmark::State& state) {
    orx::libs::core::logger logger("tarnwick", "bench", orx::libs::core::system_log::create_silent());
    log_frames(state, logger);
}

void debug_line_connected_no_peer(benchmark::State& state) {
    orx::libs::core::logger logger("tarnwick", "bench", orx::libs::core::system_log::create_silent());
    logger.connect(endpoint("nobody"));
    log_frames(state, logger);
}

void debug_line_connected_to_a_peer(benchmark::State& state) {
    zmq::context_t context;
    zmq::socket_t peer(context, zmq::socket_type::pull);
    peer.set(zmq::sockopt::rcvhwm, 0);
    const auto address = endpoint("peer");
    peer.bind(address);
    orx::libs::core::logger logger("tarnwick", "bench", orx::libs::core::system_log::create_silent());
    logger.connect(address);
    // Measured once the logger sees the peer: until then debug lines are not formatted.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!logger.is_enabled(orx::libs::core::component_logger::DEBUG) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    log_frames(state, logger);
    zmq::message_t line;
    while (peer.recv(line, zmq::recv_flags::dontwait)) {
    }
}

}  // namespace

BENCHMARK(debug_line_unconnected);
BENCHMARK(debug_line_connected_no_peer);
BENCHMARK(debug_line_connected_to_a_peer);
