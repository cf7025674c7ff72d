// The gateway frame parser on frames of three lengths, with the heap allocations
// of one parse counted by replacing the global allocation functions.

#include "gateway_message_parser.hpp"

#include <core/logger.hpp>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>
#include <string>

namespace {

// Allocations since start; the size of the parser's reserved buffer is counted apart.
// Only operator new is replaced: it takes its memory from malloc, which the
// library's own operator delete gives back with free.
std::size_t allocations = 0;
std::size_t buffer_allocations = 0;
std::size_t buffer_request = 0;

}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (size == buffer_request)
        ++buffer_allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

namespace {

// A frame of `length` hex characters: 6-byte time stamp, then a data section of
// length - 20 characters beginning with a heartbeat code.
std::string frame(std::size_t length) {
    static constexpr char digits[] = "0123456789ABCDEF";
    const std::size_t data_bytes = (length - 20) / 2;
    std::string text =
        "0006"
        "6553F100"
        "007B";
    for (int shift = 12; shift >= 0; shift -= 4)
        text += digits[(data_bytes >> shift) & 0xF];
    text += "0104";
    while (text.size() < length)
        text += digits[text.size() % 16];
    return text;
}

void parse(benchmark::State& state) {
    orx::libs::core::logger logger("tarnwick", "bench", orx::libs::core::system_log::create_silent());
    const orx::gateway_message_parser parser(logger);
    const auto text = frame(static_cast<std::size_t>(state.range(0)));
    const orx::binary_message message{text};

    buffer_request = text.size() + 1;
    const auto allocations_before = allocations;
    const auto buffer_allocations_before = buffer_allocations;
    for (auto _ : state) {
        auto parsed = parser.parse(message);
        benchmark::DoNotOptimize(parsed.m_data.data());
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["allocs/parse"] = static_cast<double>(allocations - allocations_before) / iterations;
    state.counters["buffer allocs/parse"] =
        static_cast<double>(buffer_allocations - buffer_allocations_before) / iterations;
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * state.range(0));
    buffer_request = 0;
}

}  // namespace

BENCHMARK(parse)->Arg(40)->Arg(120)->Arg(600);
