// Compact JSON rendering of the two documents a heartbeat frame yields, three
// ways: a jsoncpp writer built for every document, one jsoncpp writer reused,
// and core's json::append_to_string.

#include <core/json.hpp>

#include <json/writer.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <string>

namespace {

Json::Value parsed(const char* text) { return orx::libs::core::json::try_parse(text).result; }

Json::StreamWriterBuilder compact_builder() {
    Json::StreamWriterBuilder builder;
    builder["commentStyle"] = "None";
    builder["indentation"] = "";
    return builder;
}

void writer_per_document(benchmark::State& state, const Json::Value& document) {
    for (auto _ : state) {
        const std::unique_ptr<Json::StreamWriter> writer(compact_builder().newStreamWriter());
        std::ostringstream stream;
        writer->write(document, &stream);
        std::string text = stream.str();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations());
}

void reused_writer(benchmark::State& state, const Json::Value& document) {
    const std::unique_ptr<Json::StreamWriter> writer(compact_builder().newStreamWriter());
    std::ostringstream stream;
    std::string text;
    for (auto _ : state) {
        stream.str(std::string());
        stream.clear();
        writer->write(document, &stream);
        text.clear();
        text += stream.str();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations());
}

void core_writer(benchmark::State& state, const Json::Value& document) {
    std::string text;
    for (auto _ : state) {
        text.clear();
        orx::libs::core::json::append_to_string(document, text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations());
}

const Json::Value event =
    parsed(R"({"data":{"ntype":"MOBILE","pos_freq":10,"sl_z":150,"sublocation_id":1,"x":1000,"y":-1,"z":-2},)"
           R"("mac":"001122556677","ts":"2023-11-14T22:13:20.123Z","type":"heartbeat"})");
const Json::Value obsolete =
    parsed(R"({"hex":"010400000A0205001122334455667700000000000000000000000000000064FFFFFF388000FFFE0000000000000000",)"
           R"("mac":"001122556677","ts":"2023-11-14T22:13:20.123Z"})");

}  // namespace

BENCHMARK_CAPTURE(writer_per_document, event, event);
BENCHMARK_CAPTURE(writer_per_document, obsolete, obsolete);
BENCHMARK_CAPTURE(reused_writer, event, event);
BENCHMARK_CAPTURE(reused_writer, obsolete, obsolete);
BENCHMARK_CAPTURE(core_writer, event, event);
BENCHMARK_CAPTURE(core_writer, obsolete, obsolete);
