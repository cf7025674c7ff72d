#pragma once

#include <cstdint>
#include <vector>

namespace orx::load {

// Latencies in nanoseconds, counted in buckets of less than 1% relative width: values below
// 256 ns exactly, above that 128 buckets per power of two. Memory stays fixed however long
// the run; the maximum is kept exactly.
class latency_histogram {
public:
    latency_histogram();

    void record(uint64_t nanoseconds);

    uint64_t count() const { return m_count; }
    uint64_t max() const { return m_max; }

    // The latency that `fraction` (0 to 1) of the samples do not exceed, by nearest rank: the
    // upper end of the bucket holding the sample of rank ceil(fraction x count), at most the
    // maximum. 0 without samples.
    uint64_t percentile(double fraction) const;

private:
    std::vector<uint64_t> m_buckets;
    uint64_t m_count = 0;
    uint64_t m_max = 0;
};

}  // namespace orx::load
