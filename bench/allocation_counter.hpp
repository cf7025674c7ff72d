#pragma once

// Counts the heap allocations of the whole program, jsoncpp's own included: malloc
// and calloc are replaced by counting fronts to the C library's. Include it in one
// source file of a benchmark program.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstddef>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
}

namespace {
std::atomic<std::size_t> heap_allocations{0};
}  // namespace

extern "C" void* malloc(std::size_t size) {
    heap_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}

extern "C" void* calloc(std::size_t count, std::size_t size) {
    heap_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}

namespace {

// Sets the counter "allocs/item" of a benchmark from the moment it is made.
class allocations_per_item {
public:
    explicit allocations_per_item(benchmark::State& state) : m_state(state), m_before(heap_allocations.load()) {}
    ~allocations_per_item() {
        const auto items = static_cast<double>(m_state.iterations());
        if (items > 0)
            m_state.counters["allocs/item"] = static_cast<double>(heap_allocations.load() - m_before) / items;
    }

private:
    benchmark::State& m_state;
    std::size_t m_before;
};

}  // namespace
