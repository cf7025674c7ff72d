#pragma once

// Gateway frames for load runs, and the frame counter that they carry in their time stamp.
//
// Every document that tarnwick publishes carries its frame's time stamp back as "ts" text
// (YYYY-MM-DDTHH:MM:SS.mmmZ). A load frame's time stamp is a fixed base plus the frame's counter
// in milliseconds, so each document names the frame it comes from and its latency is measured
// per frame. Negative counters mark probe frames, sent before the measured run.

#include <boost/optional.hpp>
#include <boost/utility/string_view.hpp>

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace orx::load {

// 2020-09-13T12:26:40.000Z: counter 0.
constexpr int64_t counter_base_ms = 1600000000000;

// The time stamp occupies hex characters 4 to 15 of every frame (seconds, then milliseconds).
constexpr std::size_t timestamp_offset = 4;
constexpr std::size_t timestamp_digits = 12;

// Writes the time stamp of `counter` over the frame's time stamp digits.
void set_frame_counter(std::string& frame, int64_t counter);

// Milliseconds since the epoch of a "ts" text YYYY-MM-DDTHH:MM:SS.mmmZ.
boost::optional<int64_t> milliseconds_of_ts(boost::string_view text);

// The frame counter named by a published message "~<topic> <document>" (its "ts" member).
boost::optional<int64_t> counter_of_document(boost::string_view message);

// Downlink requests carry their counter in the node's MAC text, which comes back as the
// address at the end of the downlink message.
std::string request_mac(int64_t counter);
boost::optional<int64_t> counter_of_downlink(boost::string_view message);

// A downlink request: parameter set on even counters, reboot on odd ones.
std::string downlink_request(int64_t counter);
// A parameter set request of two parameters, whatever the counter.
std::string param_set_request(int64_t counter);

// The 16-digit address of node `node`; its MAC text is "0A1B2C" and the node in 6 digits.
std::string node_address(uint32_t node);

// A gateway frame with a 6-byte time stamp around a data section.
std::string gateway_frame(int64_t timestamp_ms, boost::string_view data);

struct node_report {
    uint32_t m_node = 0;
    uint8_t m_pos_freq = 10;
    uint8_t m_node_type_code = 2;
    uint8_t m_sublocation = 1;
    int32_t m_x = 0;
    int32_t m_y = 0;
    int16_t m_sl_z = 0;
    int16_t m_z = 0;
};

// Data sections (47 bytes) of a heartbeat ("0104") and an announce ("010F").
std::string heartbeat_data(const node_report& report);
std::string announce_data(const node_report& report);

struct position_record {
    int32_t m_x = 0;
    int32_t m_y = 0;
    int32_t m_z = 0;
    uint8_t m_sublocation = 1;
    uint8_t m_fom = 80;
    uint8_t m_flags = 4;
    bool m_source = false;    // extension block 1
    bool m_velocity = false;  // extension block 2
    bool m_metrics = false;   // extension block 3
};

struct parameter_record {
    uint8_t m_number;
    std::string m_value_hex;
};

// Command data of a position report (18 bytes and the extension blocks) and of a parameter report.
std::string position_command(const position_record& position);
std::string parameter_command(const std::vector<parameter_record>& records);

// Data section of a generic frame "010E": sequence byte, size S (= command and command data,
// which makes S = N - 13 for N bytes), command, command data and the node's address.
std::string generic_data(boost::string_view command, boost::string_view command_data, uint32_t node);

enum class frame_kind { POSITION, HEARTBEAT, ANNOUNCE, PARAMETER_REPORT, CAPTURED };

// One frame to send over and over, each time with its own counter.
struct frame_template {
    std::string m_hex;
    frame_kind m_kind;
    std::size_t m_documents;
};

// Weights of the built-in mix, in frames per cycle.
struct mix {
    unsigned m_positions = 14;
    unsigned m_heartbeats = 4;
    unsigned m_announces = 1;
    unsigned m_parameter_reports = 1;
};

// "P:H:A:R" weights of positions, heartbeats, announces and parameter reports.
boost::optional<mix> parse_mix(boost::string_view text);

// The built-in mix over `nodes` nodes: the kinds interleaved evenly, values varying per frame.
std::vector<frame_template> builtin_frames(const mix& weights, uint32_t nodes);

// Frames of a capture: one hex gateway frame a line; blank lines and lines starting with '#'
// are passed over; lines the service would refuse are counted in `refused` and left out.
std::vector<frame_template> capture_frames(std::istream& lines, std::size_t& refused);

}  // namespace orx::load
