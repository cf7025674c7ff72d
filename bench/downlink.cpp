// Throughput of the generic frame converter: position frames and parameter
// reports to their published JSON text, and parameter set requests to frames.

#include "generic_request_converter.hpp"

#include <core/json.hpp>
#include <core/logger.hpp>
#include <core/system_log.hpp>

#include "allocation_counter.hpp"

#include <benchmark/benchmark.h>

#include <sstream>

namespace {

using namespace orx;

// Renders every document as the application would publish it and keeps the
// frames' length, so that nothing is optimised away.
class rendering_handler : public processed_messages_handler {
public:
    void on_message(const binary_message& message) override { m_frame_characters += message.m_hex.size(); }
    void on_message(boost::string_view, const Json::Value& document) override {
        m_text.clear();
        libs::core::json::append_to_string(document, m_text);
        benchmark::DoNotOptimize(m_text.data());
    }

    std::string m_text;
    std::size_t m_frame_characters = 0;
};

std::istringstream parameter_file() {
    return std::istringstream(R"({ "hw_param": [
        { "num": 1, "jname": "report_period", "format": "UINT", "size": 2 },
        { "num": 2, "jname": "tx_power", "format": "INT", "size": 1 },
        { "num": 3, "jname": "channel", "format": "UINT", "size": 1 },
        { "num": 4, "jname": "serial", "format": "UINT", "size": 4 },
        { "num": 5, "jname": "offset", "format": "INT", "size": 2 }
    ] })");
}

struct service {
    service() : logger("tarnwick", "bench", libs::core::system_log::create_silent()), registry(make_registry(logger)) {}

    static parameters::config make_registry(libs::core::logger& logger) {
        auto stream = parameter_file();
        return parameters::config(logger, stream);
    }

    libs::core::logger logger;
    parameters::config registry;
    rendering_handler handler;
    generic_request_converter converter{logger, handler, registry};
};

// Code, unread byte, size 0021 (33), command 0020, the position record, a velocity
// and a metrics block, the node address.
const std::string position_frame =
    "010E000021"
    "0020"
    "00000064FFFFFF380000012C0540000000A4"
    "0206FFFE0A00640B"
    "0303ABCDEF"
    "0011223344556677";

// Size 0014 (20), command 000E, five parameter records.
const std::string parameter_report =
    "010E000016"
    "000E"
    "01020E10"
    "0201F6"
    "03010B"
    "040400BC614E"
    "0502FF9C"
    "0011223344556677";

// One uplink payload through the generic frame converter to its published text.
void uplink_frames(benchmark::State& state, const std::string& payload) {
    service s;
    const libs::core::timestamp time(1700000000123);
    s.converter.convert(time, payload);  // documents kept from frame to frame are made
    const allocations_per_item allocations(state);
    for (auto _ : state)
        s.converter.convert(time, payload);
    state.SetItemsProcessed(state.iterations());
    state.counters["text_chars"] = static_cast<double>(s.handler.m_text.size());
}
BENCHMARK_CAPTURE(uplink_frames, position, position_frame);
BENCHMARK_CAPTURE(uplink_frames, parameter_report, parameter_report);

void param_set_requests(benchmark::State& state) {
    service s;
    const auto request = libs::core::json::try_parse(R"({"mac":"001122aabbcc","message":{"param_set":{
        "report_period":3600,"tx_power":-10,"channel":11,"serial":12345678,"offset":-100}}})")
                             .result;
    uint8_t sequence_number = 0;
    const allocations_per_item allocations(state);
    for (auto _ : state)
        s.converter.convert(request, sequence_number);
    state.SetItemsProcessed(state.iterations());
    benchmark::DoNotOptimize(s.handler.m_frame_characters);
}
BENCHMARK(param_set_requests);

}  // namespace
