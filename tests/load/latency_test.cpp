#include "../../tools/tarnwick-load/latency.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using orx::load::latency_histogram;

struct percentile_case {
    std::string name;
    std::vector<std::pair<uint64_t, uint64_t>> samples;  // value, how often
    double fraction;
    uint64_t expected;
    double tolerance;  // relative
};

class percentiles : public ::testing::TestWithParam<percentile_case> {};

TEST_P(percentiles, follow_the_nearest_rank) {
    const auto& c = GetParam();
    latency_histogram histogram;
    for (const auto& sample : c.samples)
        for (uint64_t i = 0; i < sample.second; ++i)
            histogram.record(sample.first);
    const auto got = static_cast<double>(histogram.percentile(c.fraction));
    EXPECT_NEAR(got, static_cast<double>(c.expected), c.tolerance * static_cast<double>(c.expected)) << c.name;
}

std::vector<std::pair<uint64_t, uint64_t>> one_to(uint64_t last, uint64_t step) {
    std::vector<std::pair<uint64_t, uint64_t>> samples;
    for (uint64_t value = step; value <= last; value += step)
        samples.push_back({value, 1});
    return samples;
}

INSTANTIATE_TEST_SUITE_P(
    histograms, percentiles,
    ::testing::Values(
        percentile_case{"no samples", {}, 0.5, 0, 0},
        percentile_case{"one sample is every percentile", {{123457, 1}}, 0.5, 123457, 0},
        percentile_case{"small values are exact: median", one_to(100, 1), 0.5, 50, 0},
        percentile_case{"small values are exact: p99", one_to(100, 1), 0.99, 99, 0},
        percentile_case{"p99.9 of 100 samples is the largest", one_to(100, 1), 0.999, 100, 0},
        percentile_case{"median of microseconds", one_to(100000, 1), 0.5, 50000, 0.01},
        percentile_case{"p99 of microseconds", one_to(100000, 1), 0.99, 99000, 0.01},
        percentile_case{"rank 990 of 1000 stays below the tail", {{10000, 990}, {5000000, 10}}, 0.99, 10000, 0.01},
        percentile_case{"rank 999 of 1000 is in the tail", {{10000, 990}, {5000000, 10}}, 0.999, 5000000, 0},
        percentile_case{"p100 is the exact maximum", {{10000, 990}, {5000003, 10}}, 1.0, 5000003, 0},
        percentile_case{"the largest values fit", {{uint64_t{1} << 62, 2}}, 0.5, uint64_t{1} << 62, 0}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (auto& c : name)
            if (!isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

}  // namespace
