#include "parameter_config/config.hpp"
#include "parameter_config/descriptor.hpp"

#include <core/json.hpp>
#include <core/logger.hpp>

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using orx::parameters::config;
using orx::parameters::descriptor;

descriptor::ptr make(const std::string& object) {
    return std::move(*descriptor::create_from_json(orx::libs::core::json::try_parse(object).result));
}

// A registry the size of a full device: parameters 1..200, names param_1..param_200.
constexpr uint32_t parameter_count = 200;

std::string registry_file() {
    std::string text = R"({"hw_param":[)";
    for (uint32_t num = 1; num <= parameter_count; ++num) {
        if (num > 1)
            text += ',';
        text += R"({"num":)" + std::to_string(num) + R"(,"jname":"param_)" + std::to_string(num) +
                R"(","format":"UINT","size":4})";
    }
    return text + "]}";
}

struct registry_fixture {
    // The registry writes nothing to its logger.
    orx::libs::core::logger logger{"tarnwick", "bench"};
    std::istringstream stream{registry_file()};
    config parameters{logger, stream};
};

void uint_decode(benchmark::State& state) {
    const auto d = make(R"({"jname":"x","format":"UINT","size":4})");
    for (auto _ : state)
        benchmark::DoNotOptimize(d->convert_bin_to_json("0001F4A2"));
}
BENCHMARK(uint_decode);

void uint_encode(benchmark::State& state) {
    const auto d = make(R"({"jname":"x","format":"UINT","size":4})");
    const Json::Value value(128162u);
    for (auto _ : state)
        benchmark::DoNotOptimize(d->convert_json_to_bin(value));
}
BENCHMARK(uint_encode);

void registry_lookup_by_number(benchmark::State& state) {
    registry_fixture fixture;
    uint32_t num = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fixture.parameters.get_descriptor(num % parameter_count + 1));
        ++num;
    }
}
BENCHMARK(registry_lookup_by_number);

void registry_lookup_by_name(benchmark::State& state) {
    registry_fixture fixture;
    std::vector<std::string> names;
    for (uint32_t num = 1; num <= parameter_count; ++num)
        names.push_back("param_" + std::to_string(num));
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fixture.parameters.get_descriptor(names[i]));
        i = (i + 1) % names.size();
    }
}
BENCHMARK(registry_lookup_by_name);

}  // namespace
