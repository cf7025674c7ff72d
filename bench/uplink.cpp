// Uplink throughput: whole gateway frames through the converter into an output
// that renders every document as the service publishes it.

#include "allocation_counter.hpp"
#include "converter.hpp"

#include <json/writer.h>
#include <core/json.hpp>
#include <core/system_log.hpp>

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

namespace {

struct rendering_handler : orx::processed_messages_handler {
    void on_message(const orx::binary_message& message) override { benchmark::DoNotOptimize(message.m_hex.data()); }
    void on_message(boost::string_view topic, const Json::Value& document) override {
        m_text.clear();
        orx::libs::core::json::append_to_string(document, m_text);
        benchmark::DoNotOptimize(topic.data());
        benchmark::DoNotOptimize(m_text.data());
        ++m_documents;
    }
    std::string m_text;
    int64_t m_documents = 0;
};

// The same output rendered the plain way, a new jsoncpp writer per document: the
// baseline the service's writer is measured against.
struct builder_rendering_handler : rendering_handler {
    void on_message(const orx::binary_message& message) override { rendering_handler::on_message(message); }
    void on_message(boost::string_view topic, const Json::Value& document) override {
        Json::StreamWriterBuilder builder;
        builder["indentation"] = "";
        m_text = Json::writeString(builder, document);
        benchmark::DoNotOptimize(topic.data());
        benchmark::DoNotOptimize(m_text.data());
        ++m_documents;
    }
};

// Time stamp 1700000000.123 s; data length in bytes as four hex digits.
const std::string header =
    "0006"
    "6553F100"
    "007B";

// 120 characters: a 100-character heartbeat payload (50 bytes).
const std::string heartbeat_frame = header + "0032" +
                                    "010400000A0205001122334455667700000000000000000000000000000064FFFFFF388000FFFE"
                                    "0000000000000000"
                                    "000000";
// 40 characters: a 10-byte payload of a code no typed converter takes.
const std::string unknown_frame = header + "000A" + "01070011223344556677";

template <typename Handler = rendering_handler>
void convert_frames(benchmark::State& state, const std::string& frame) {
    orx::libs::core::logger logger("tarnwick", "bench", orx::libs::core::system_log::create_silent());
    std::istringstream empty("{}");
    orx::parameters::config parameters(logger, empty);
    Handler handler;
    orx::converter converter(logger, handler, parameters);
    const orx::binary_message message{frame};
    converter.convert(message);  // documents kept from frame to frame are made
    handler.m_documents = 0;
    const allocations_per_item allocations(state);
    for (auto _ : state)
        converter.convert(message);
    state.SetItemsProcessed(state.iterations());
    state.counters["documents/frame"] =
        static_cast<double>(handler.m_documents) / static_cast<double>(state.iterations());
}

void heartbeat_120(benchmark::State& state) { convert_frames(state, heartbeat_frame); }
void heartbeat_120_new_writer_per_document(benchmark::State& state) {
    convert_frames<builder_rendering_handler>(state, heartbeat_frame);
}
void unknown_code_40(benchmark::State& state) { convert_frames(state, unknown_frame); }

}  // namespace

BENCHMARK(heartbeat_120);
BENCHMARK(heartbeat_120_new_writer_per_document);
BENCHMARK(unknown_code_40);
