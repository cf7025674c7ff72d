#include "latency.hpp"

#include <algorithm>
#include <cmath>

namespace orx::load {

namespace {

constexpr unsigned sub_bits = 7;
constexpr uint64_t exact_below = uint64_t{1} << (sub_bits + 1);
constexpr std::size_t bucket_count = (64 - sub_bits + 1) << sub_bits;

unsigned top_bit(uint64_t value) { return 63u - static_cast<unsigned>(__builtin_clzll(value)); }

std::size_t bucket_of(uint64_t value) {
    if (value < exact_below)
        return static_cast<std::size_t>(value);
    const unsigned shift = top_bit(value) - sub_bits;
    return (static_cast<std::size_t>(shift) << sub_bits) + static_cast<std::size_t>(value >> shift);
}

// The largest value that falls into the bucket.
uint64_t upper_end(std::size_t bucket) {
    if (bucket < exact_below)
        return bucket;
    const unsigned shift = static_cast<unsigned>(bucket >> sub_bits) - 1;
    const uint64_t leading = (bucket & ((uint64_t{1} << sub_bits) - 1)) | (uint64_t{1} << sub_bits);
    return ((leading + 1) << shift) - 1;
}

}  // namespace

latency_histogram::latency_histogram() : m_buckets(bucket_count, 0) {}

void latency_histogram::record(uint64_t nanoseconds) {
    ++m_buckets[bucket_of(nanoseconds)];
    ++m_count;
    m_max = std::max(m_max, nanoseconds);
}

uint64_t latency_histogram::percentile(double fraction) const {
    if (m_count == 0)
        return 0;
    // The small allowance keeps 0.999 x 1000 at rank 999 despite rounding.
    const double wanted = std::ceil(std::clamp(fraction, 0.0, 1.0) * static_cast<double>(m_count) - 1e-9);
    const uint64_t rank = std::max<uint64_t>(1, static_cast<uint64_t>(wanted));
    uint64_t seen = 0;
    for (std::size_t bucket = 0; bucket < m_buckets.size(); ++bucket) {
        seen += m_buckets[bucket];
        if (seen >= rank)
            return std::min(upper_end(bucket), m_max);
    }
    return m_max;
}

}  // namespace orx::load
