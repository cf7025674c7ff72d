// Messages per second from a PUSH to a PULL socket over ipc://, 100-byte
// messages: through the core library's sockets on an events loop, and with
// plain libzmq calls in a loop, in the same run.
#include "core/core.hpp"
#include "core/logger.hpp"
#include "core/system_log.hpp"
#include "core/zmq/manager.hpp"

#include <benchmark/benchmark.h>
#include <zmq.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

namespace core = orx::libs::core;

constexpr int messages_per_round = 100000;
constexpr std::size_t message_size = 100;

class bench_dir {
public:
    bench_dir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarnwick-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~bench_dir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string endpoint() const { return "ipc://" + m_path + "/transfer"; }

private:
    std::string m_path;
};

void plain_libzmq(benchmark::State& state) {
    bench_dir dir;
    void* context = zmq_ctx_new();
    void* pull = zmq_socket(context, ZMQ_PULL);
    void* push = zmq_socket(context, ZMQ_PUSH);
    zmq_bind(pull, dir.endpoint().c_str());
    zmq_connect(push, dir.endpoint().c_str());
    const std::string payload(message_size, 'x');
    char buffer[message_size];
    for (auto _ : state) {
        std::thread sender([&] {
            for (int i = 0; i < messages_per_round; ++i)
                zmq_send(push, payload.data(), payload.size(), 0);
        });
        for (int i = 0; i < messages_per_round; ++i)
            benchmark::DoNotOptimize(zmq_recv(pull, buffer, sizeof buffer, 0));
        sender.join();
    }
    state.SetItemsProcessed(state.iterations() * messages_per_round);
    zmq_close(push);
    zmq_close(pull);
    zmq_ctx_term(context);
}

void through_the_binding(benchmark::State& state) {
    bench_dir dir;
    core::logger root("tarnwick-bench", "main", core::system_log::create_silent());
    auto core = core::core::create(root);
    auto loop = core->create_events_loop("main loop");
    auto sender_loop = core->create_events_loop("sender");
    auto pull = loop->get_zmq().bind(core::zmq::socket::type::pull, dir.endpoint());
    auto push = sender_loop->get_zmq().connect(core::zmq::socket::type::push, dir.endpoint());
    const std::string payload(message_size, 'x');
    int received = 0;
    std::size_t bytes = 0;
    pull->set_receive_callback([&](core::zmq::message& part) {
        bytes += part.size();
        if (++received == messages_per_round)
            loop->stop();
    });
    for (auto _ : state) {
        received = 0;
        std::thread sender([&] {
            for (int i = 0; i < messages_per_round; ++i)
                push->send(core::zmq::message(payload));
        });
        loop->get_io_context().restart();
        loop->run();
        sender.join();
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(state.iterations() * messages_per_round);
    push.reset();
    pull.reset();
}

BENCHMARK(plain_libzmq)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(through_the_binding)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
