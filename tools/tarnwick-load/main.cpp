// tarnwick-load: pushes gateway frames (and optionally downlink requests) into a running
// tarnwick, or into anything that binds the same channels, and measures what comes back.

#include "common/client_keys.hpp"
#include "common/endpoint_options.hpp"
#include "common/option_number.hpp"
#include "common/tool_main.hpp"
#include "frames.hpp"
#include "run.hpp"

#include <json/json.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

#include <getopt.h>

namespace {

using namespace orx::load;

const char* const usage_text =
    "Usage: tarnwick-load [-c FILE] [options]\n"
    "Pushes gateway frames into the service's \"binary\"/\"input\" channel and measures the documents it\n"
    "publishes on \"json\"/\"output\": counts, losses, throughput and latency per frame.\n"
    "\n"
    "Channels (a wildcard bind host tcp://*:P is reached at 127.0.0.1):\n"
    "  -c FILE               the service's configuration file: its binary and json endpoints\n"
    "  --binary-input EP     frames in (overrides the file)\n"
    "  --json-output EP      documents out\n"
    "  --json-input EP       requests in (with -j)\n"
    "  --binary-output EP    downlink messages out (with -j)\n"
    "  --key FILE            this tool's secret key file (NAME.key_secret of tarnwick-keygen)\n"
    "  --server-key FILE     the service's public key file: with --key, every channel is CURVE\n"
    "What to send:\n"
    "  -r RATE               frames per second, up to 1000000000 (default, or 0: flat out)\n"
    "  -n COUNT              frames to send, up to 1000000000000\n"
    "  -d SECONDS            seconds to send, 0.001 to 1000000 (default 10 when neither -n nor -d\n"
    "                        is given)\n"
    "  -m P:H:A:R            built-in mix: positions, heartbeats, announces, parameter reports\n"
    "                        per cycle (default 14:4:1:1)\n"
    "  --nodes N             nodes of the built-in mix, up to 1000000 (default 500)\n"
    "  -f FILE               send the hex frames of a capture file (one a line) instead of the mix\n"
    "  -j                    also send downlink requests (param_set, reboot) and count the downlink\n"
    "  --request-every N     one request per N frames (default 10)\n"
    "  --requests-only       send parameter set requests at -r per second and no frames (implies -j)\n"
    "Run and report:\n"
    "  --settle MS           quiet time after the last send that ends the run (default 1000)\n"
    "  --wait MS             time the service has to answer the first probe (default 10000)\n"
    "  --json                final summary as one JSON object\n"
    "  -q                    no progress lines on stderr\n"
    "Times in milliseconds (--settle, --wait) go up to 2147483647.\n"
    "Exit status: 0 measured, 1 usage or configuration, 2 the service never answered,\n"
    "3 the service stopped taking frames.\n";

struct settings {
    run_options m_run;
    std::string m_config_file;
    orx::tools::endpoints m_endpoints;
    orx::tools::key_files m_key_files;
    std::string m_capture_file;
    mix m_mix;
    uint32_t m_nodes = 500;
    bool m_json = false;
};

// Bounds of the numeric options: far beyond any run, and within what the run's counters hold.
constexpr double max_rate = 1e9;
constexpr long long max_count = 1000000000000;
constexpr double max_duration = 1e6;
constexpr long long max_nodes = 1000000;
constexpr long long max_ms = INT_MAX;

settings read_settings(int argc, char** argv) {
    using orx::tools::option_error;
    using orx::tools::real_option;
    using orx::tools::whole_option;
    enum { NODES = 1100, REQUEST_EVERY, REQUESTS_ONLY, SETTLE, WAIT, JSON };
    const option options[] = {TARNWICK_ENDPOINT_OPTIONS,
                              TARNWICK_KEY_OPTIONS,
                              {"nodes", required_argument, nullptr, NODES},
                              {"request-every", required_argument, nullptr, REQUEST_EVERY},
                              {"requests-only", no_argument, nullptr, REQUESTS_ONLY},
                              {"settle", required_argument, nullptr, SETTLE},
                              {"wait", required_argument, nullptr, WAIT},
                              {"json", no_argument, nullptr, JSON},
                              {"help", no_argument, nullptr, 'h'},
                              {nullptr, 0, nullptr, 0}};
    settings chosen;
    const int operand = orx::tools::read_options(
        argc, argv, "c:r:n:d:m:f:jqh", options, usage_text, 1, [&](int option, const char* argument) {
            if (orx::tools::set_endpoint(option, argument, chosen.m_endpoints) ||
                orx::tools::set_key_file(option, argument, chosen.m_key_files))
                return true;
            switch (option) {
            case 'c': chosen.m_config_file = argument; break;
            case 'r': chosen.m_run.m_rate = real_option("-r", argument, 0, max_rate); break;
            case 'n': chosen.m_run.m_count = whole_option("-n", argument, 1, max_count); break;
            case 'd': chosen.m_run.m_duration = real_option("-d", argument, 0.001, max_duration); break;
            case 'f': chosen.m_capture_file = argument; break;
            case 'j': chosen.m_run.m_downlink = true; break;
            case 'q': chosen.m_run.m_progress = false; break;
            case 'm': {
                const auto weights = parse_mix(argument);
                if (!weights)
                    throw option_error(std::string("option -m takes P:H:A:R, four whole numbers not all 0, not '") +
                                       argument + "'");
                chosen.m_mix = *weights;
                break;
            }
            case NODES: chosen.m_nodes = static_cast<uint32_t>(whole_option("--nodes", argument, 1, max_nodes)); break;
            case REQUEST_EVERY:
                chosen.m_run.m_request_every =
                    static_cast<unsigned>(whole_option("--request-every", argument, 1, UINT_MAX));
                break;
            case REQUESTS_ONLY:
                chosen.m_run.m_requests_only = true;
                chosen.m_run.m_downlink = true;
                break;
            case SETTLE:
                chosen.m_run.m_settle = std::chrono::milliseconds(whole_option("--settle", argument, 0, max_ms));
                break;
            case WAIT:
                chosen.m_run.m_wait = std::chrono::milliseconds(whole_option("--wait", argument, 1, max_ms));
                break;
            case JSON: chosen.m_json = true; break;
            default: throw option_error("unknown option; tarnwick-load -h lists the options");
            }
            return true;
        });
    if (operand != argc)
        throw option_error(std::string("unexpected argument: ") + argv[operand]);
    if (chosen.m_run.m_count == 0 && chosen.m_run.m_duration == 0)
        chosen.m_run.m_duration = 10;
    return chosen;
}

std::vector<frame_template> frames_of(const settings& chosen) {
    if (chosen.m_capture_file.empty())
        return builtin_frames(chosen.m_mix, chosen.m_nodes);
    std::ifstream capture(chosen.m_capture_file);
    if (!capture)
        throw std::runtime_error("cannot open " + chosen.m_capture_file);
    std::size_t refused = 0;
    auto frames = capture_frames(capture, refused);
    if (refused > 0)
        std::cerr << "tarnwick-load: " << refused << " lines of " << chosen.m_capture_file
                  << " are no frame the service accepts; left out\n";
    if (frames.empty())
        throw std::runtime_error(chosen.m_capture_file + " holds no frame");
    return frames;
}

double percent(uint64_t part, uint64_t whole) {
    return whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

double per_second(uint64_t count, double seconds) { return seconds > 0 ? static_cast<double>(count) / seconds : 0.0; }

Json::Value latency_json(const latency_histogram& latency) {
    Json::Value out;
    out["p50"] = static_cast<double>(latency.percentile(0.50)) / 1e3;
    out["p99"] = static_cast<double>(latency.percentile(0.99)) / 1e3;
    out["p99_9"] = static_cast<double>(latency.percentile(0.999)) / 1e3;
    out["max"] = static_cast<double>(latency.max()) / 1e3;
    return out;
}

Json::Value channel_json(const channel_figures& figures) {
    Json::Value out;
    out["sent"] = Json::UInt64(figures.m_sent);
    out["expected"] = Json::UInt64(figures.m_expected);
    out["received"] = Json::UInt64(figures.m_received);
    out["lost"] = Json::UInt64(figures.lost());
    out["loss_percent"] = percent(figures.lost(), figures.m_expected);
    out["unmatched"] = Json::UInt64(figures.m_unmatched);
    out["latency_us"] = latency_json(figures.m_latency);
    return out;
}

const char* const kind_names[] = {"positions", "heartbeats", "announces", "parameter_reports", "captured"};

Json::Value summary_json(const settings& chosen, const run_result& result) {
    Json::Value out;
    out["target_rate"] = chosen.m_run.m_rate;
    out["send_seconds"] = result.m_send_seconds;
    out["frames_sent"] = Json::UInt64(result.m_uplink.m_sent);
    out["frames_per_second"] = per_second(result.m_uplink.m_sent, result.m_send_seconds);
    out["stalled"] = result.m_stalled;
    if (chosen.m_run.m_requests_only)
        out["requests_per_second"] = per_second(result.m_downlink.m_sent, result.m_send_seconds);
    for (std::size_t kind = 0; kind < result.m_kinds.size(); ++kind)
        out["mix"][kind_names[kind]] = Json::UInt64(result.m_kinds[kind]);
    out["documents"] = channel_json(result.m_uplink);
    out["documents"].removeMember("sent");
    out["documents"]["per_second"] = per_second(result.m_uplink.m_received, result.m_receive_seconds);
    if (chosen.m_run.m_downlink)
        out["downlink"] = channel_json(result.m_downlink);
    return out;
}

std::string duration_text(uint64_t nanoseconds) {
    char text[32];
    if (nanoseconds < 1000000)
        std::snprintf(text, sizeof text, "%.1f us", static_cast<double>(nanoseconds) / 1e3);
    else
        std::snprintf(text, sizeof text, "%.2f ms", static_cast<double>(nanoseconds) / 1e6);
    return text;
}

std::string latency_text(const latency_histogram& latency) {
    if (latency.count() == 0)
        return "no samples";
    return "p50 " + duration_text(latency.percentile(0.50)) + ", p99 " + duration_text(latency.percentile(0.99)) +
           ", p99.9 " + duration_text(latency.percentile(0.999)) + ", max " + duration_text(latency.max());
}

void print_channel(const char* name, const char* what, const channel_figures& figures) {
    std::printf("  %-18s expected %llu, received %llu, lost %llu (%.4f %%)", name,
                static_cast<unsigned long long>(figures.m_expected),
                static_cast<unsigned long long>(figures.m_received), static_cast<unsigned long long>(figures.lost()),
                percent(figures.lost(), figures.m_expected));
    if (figures.m_unmatched > 0)
        std::printf(", %llu %s named nothing sent", static_cast<unsigned long long>(figures.m_unmatched), what);
    std::printf("\n  %-18s %s\n", "latency", latency_text(figures.m_latency).c_str());
}

std::string target_text(double rate) { return rate > 0 ? std::to_string(static_cast<long long>(rate)) : "flat out"; }

void print_summary(const settings& chosen, const run_result& result) {
    const auto& up = result.m_uplink;
    std::printf("tarnwick-load summary\n");
    if (chosen.m_run.m_requests_only) {
        std::printf("  %-18s %llu in %.2f s (%.0f requests/s; target %s)%s\n", "requests sent",
                    static_cast<unsigned long long>(result.m_downlink.m_sent), result.m_send_seconds,
                    per_second(result.m_downlink.m_sent, result.m_send_seconds),
                    target_text(chosen.m_run.m_rate).c_str(),
                    result.m_stalled ? "; the service stopped taking requests" : "");
        print_channel("downlink messages", "messages", result.m_downlink);
        return;
    }
    std::printf("  %-18s %llu in %.2f s (%.0f frames/s; target %s)%s\n", "frames sent",
                static_cast<unsigned long long>(up.m_sent), result.m_send_seconds,
                per_second(up.m_sent, result.m_send_seconds), target_text(chosen.m_run.m_rate).c_str(),
                result.m_stalled ? "; the service stopped taking frames" : "");
    std::printf("  %-18s", "mix");
    const char* separator = " ";
    for (std::size_t kind = 0; kind < result.m_kinds.size(); ++kind)
        if (result.m_kinds[kind] > 0) {
            std::string name = kind_names[kind];
            std::replace(name.begin(), name.end(), '_', ' ');
            std::printf("%s%llu %s", separator, static_cast<unsigned long long>(result.m_kinds[kind]), name.c_str());
            separator = ", ";
        }
    std::printf("\n");
    print_channel("documents", "documents", up);
    std::printf("  %-18s %.0f documents/s\n", "throughput", per_second(up.m_received, result.m_receive_seconds));
    if (chosen.m_run.m_downlink) {
        std::printf("  %-18s %llu requests\n", "downlink", static_cast<unsigned long long>(result.m_downlink.m_sent));
        print_channel("downlink messages", "messages", result.m_downlink);
    }
}

extern "C" void on_stop_signal(int) { request_stop(); }

int measure(int argc, char** argv) {
    settings chosen = read_settings(argc, argv);
    chosen.m_run.m_keys = orx::tools::read_client_keys(chosen.m_key_files);
    const auto bound = orx::tools::resolve_endpoints(chosen.m_config_file, chosen.m_endpoints);
    orx::tools::require_endpoints(bound, chosen.m_run.m_downlink);
    chosen.m_run.m_endpoints = orx::tools::connectable(bound);
    auto frames = frames_of(chosen);
    std::signal(SIGINT, on_stop_signal);
    std::signal(SIGTERM, on_stop_signal);
    const auto result = run(chosen.m_run, std::move(frames));
    if (!result.m_answered) {
        std::cerr << "tarnwick-load: no answer on " << chosen.m_run.m_endpoints.m_json_output
                  << (chosen.m_run.m_downlink ? " and " + chosen.m_run.m_endpoints.m_binary_output : "") << " within "
                  << chosen.m_run.m_wait.count() << " ms of probing " << chosen.m_run.m_endpoints.m_binary_input
                  << "\n";
        return 2;
    }
    if (chosen.m_json) {
        Json::StreamWriterBuilder writer;
        writer["indentation"] = "  ";
        std::cout << Json::writeString(writer, summary_json(chosen, result)) << std::endl;
    } else {
        print_summary(chosen, result);
    }
    return result.m_stalled ? 3 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    return orx::tools::run_tool("tarnwick-load", 1, [&] { return measure(argc, argv); });
}
