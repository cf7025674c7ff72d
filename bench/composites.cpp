#include <parameter_config/descriptor.hpp>

#include <core/json.hpp>

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

namespace {

using orx::parameters::descriptor;

descriptor::ptr build(const std::string& object_text) {
    const auto parsed = orx::libs::core::json::try_parse(object_text);
    auto built = descriptor::create_from_json(parsed.result);
    if (!parsed.ok || !built)
        throw std::runtime_error("bad descriptor: " + object_text);
    return std::move(*built);
}

// Ten records of a 16-bit id, a signed byte and a mode word.
const std::string array_object = R"({"format":"ARRAY","jname":"nodes","size":4,"fields":[
    {"format":"UINT","offset":0,"size":2,"jname":"id"},
    {"format":"INT","offset":2,"size":1,"jname":"rssi"},
    {"format":"VAR_LIST","offset":3,"jname":"mode","args":["off","on","auto"]}]})";
const std::string array_hex =
    "0001F500"
    "0002F401"
    "0003F302"
    "0004F200"
    "0005F101"
    "0006F002"
    "0007EF00"
    "0008EE01"
    "0009ED02"
    "000AEC00";

// One byte packed from four two-bit fields.
const std::string object_object = R"({"format":"OBJECT","jname":"flags","fields":[
    {"format":"BYTE_SLICE_VAR_LIST","offset":0,"jname":"a","args":["0","1","a0","a1","a2","a3"]},
    {"format":"BYTE_SLICE_VAR_LIST","offset":0,"jname":"b","args":["2","3","b0","b1","b2","b3"]},
    {"format":"BYTE_SLICE_VAR_LIST","offset":0,"jname":"c","args":["4","5","c0","c1","c2","c3"]},
    {"format":"BYTE_SLICE_VAR_LIST","offset":0,"jname":"d","args":["6","7","d0","d1","d2","d3"]}]})";

const std::string values_object = R"({"format":"VAR_LIST_WITH_VALUES","jname":"rate","args":[
    "off=0","1s=1","2s=2","5s=5","10s=10","30s=30","60s=60","300s=300"]})";

const std::string ipv6_object = R"({"format":"IPV6","jname":"server"})";

void decode(benchmark::State& state, const std::string& object, const std::string& hex) {
    const auto d = build(object);
    for (auto _ : state)
        benchmark::DoNotOptimize(d->convert_bin_to_json(hex));
}

void encode(benchmark::State& state, const std::string& object, const std::string& hex) {
    const auto d = build(object);
    const Json::Value value = *d->convert_bin_to_json(hex);
    for (auto _ : state)
        benchmark::DoNotOptimize(d->convert_json_to_bin(value));
}

BENCHMARK_CAPTURE(decode, array_10_records, array_object, array_hex);
BENCHMARK_CAPTURE(encode, array_10_records, array_object, array_hex);
BENCHMARK_CAPTURE(decode, object_4_fields_one_offset, object_object, std::string("E4"));
BENCHMARK_CAPTURE(encode, object_4_fields_one_offset, object_object, std::string("E4"));
BENCHMARK_CAPTURE(decode, var_list_with_values, values_object, std::string("1E"));
BENCHMARK_CAPTURE(encode, var_list_with_values, values_object, std::string("1E"));
BENCHMARK_CAPTURE(decode, ipv6, ipv6_object, std::string("20010DB8000000000000FF0000428329"));
BENCHMARK_CAPTURE(encode, ipv6, ipv6_object, std::string("20010DB8000000000000FF0000428329"));

}  // namespace
