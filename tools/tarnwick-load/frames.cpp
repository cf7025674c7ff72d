#include "frames.hpp"

#include "common/input_line.hpp"
#include "common/load_profile.hpp"

#include <converter_utils.hpp>

#include <algorithm>
#include <cctype>
#include <istream>

namespace orx::load {

namespace {

const boost::string_view ts_member = "\"ts\":\"";
constexpr std::size_t ts_length = 24;  // YYYY-MM-DDTHH:MM:SS.mmmZ
constexpr std::size_t counter_digits = 10;

// Days since the epoch of a proleptic Gregorian date.
int64_t days_from_civil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yoe = static_cast<unsigned>(year - era * 400);
    const unsigned doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

boost::optional<unsigned> decimal(boost::string_view text) {
    unsigned value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return boost::none;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

boost::optional<uint64_t> hex_number(boost::string_view text) {
    uint64_t value = 0;
    for (const char c : text) {
        const int digit = detail::hex_value(c);
        if (digit < 0)
            return boost::none;
        value = (value << 4) | static_cast<uint64_t>(digit);
    }
    return value;
}

void append_zeros(std::string& out, std::size_t bytes_count) { out.append(bytes(bytes_count), '0'); }

// Mixes the kinds evenly: each weight's frames spread over the cycle, not bunched together.
std::vector<frame_kind> cycle_of(const mix& weights) {
    const std::pair<frame_kind, unsigned> kinds[] = {{frame_kind::POSITION, weights.m_positions},
                                                     {frame_kind::HEARTBEAT, weights.m_heartbeats},
                                                     {frame_kind::ANNOUNCE, weights.m_announces},
                                                     {frame_kind::PARAMETER_REPORT, weights.m_parameter_reports}};
    long total = 0;
    for (const auto& kind : kinds)
        total += kind.second;
    std::vector<frame_kind> cycle;
    long current[4] = {0, 0, 0, 0};
    for (long slot = 0; slot < total; ++slot) {
        std::size_t best = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            current[i] += kinds[i].second;
            if (current[i] > current[best])
                best = i;
        }
        current[best] -= total;
        cycle.push_back(kinds[best].first);
    }
    return cycle;
}

std::string data_of(frame_kind kind, uint32_t k, uint32_t node) {
    const auto x = static_cast<int32_t>(1000 + (k * 37) % 50000);
    const auto y = static_cast<int32_t>(-2000 + static_cast<int32_t>((k * 53) % 40000));
    const auto z = static_cast<int16_t>(100 + k % 200);
    switch (kind) {
    case frame_kind::HEARTBEAT:
    case frame_kind::ANNOUNCE: {
        node_report report;
        report.m_node = node;
        report.m_node_type_code = static_cast<uint8_t>(1 + k % 6);
        report.m_sublocation = static_cast<uint8_t>(k % 4);
        report.m_x = x;
        report.m_y = y;
        report.m_z = z;
        return kind == frame_kind::HEARTBEAT ? heartbeat_data(report) : announce_data(report);
    }
    case frame_kind::POSITION: {
        position_record position;
        position.m_x = x;
        position.m_y = y;
        position.m_z = z;
        position.m_fom = static_cast<uint8_t>(k % 100);
        position.m_source = k % 4 >= 1;
        position.m_velocity = k % 4 >= 2;
        position.m_metrics = k % 4 == 3;
        return generic_data("0020", position_command(position), node);
    }
    case frame_kind::PARAMETER_REPORT:
    case frame_kind::CAPTURED: break;
    }
    const std::vector<parameter_record> records = {
        {2, to_hex(3, 2)}, {3, to_hex(60 + k % 60, 4)}, {5, to_hex(static_cast<uint8_t>(-4), 2)}};
    return generic_data("000E", parameter_command(records), node);
}

}  // namespace

void set_frame_counter(std::string& frame, int64_t counter) {
    const int64_t ms = counter_base_ms + counter;
    const uint64_t stamp = (static_cast<uint64_t>(ms / 1000) << 16) | static_cast<uint64_t>(ms % 1000);
    for (std::size_t i = 0; i < timestamp_digits; ++i)
        frame[timestamp_offset + i] = detail::upper_hex_digits[(stamp >> (4 * (timestamp_digits - 1 - i))) & 0xF];
}

boost::optional<int64_t> milliseconds_of_ts(boost::string_view text) {
    if (text.size() < ts_length || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != '.' || text[23] != 'Z')
        return boost::none;
    const auto year = decimal(text.substr(0, 4));
    const auto month = decimal(text.substr(5, 2));
    const auto day = decimal(text.substr(8, 2));
    const auto hour = decimal(text.substr(11, 2));
    const auto minute = decimal(text.substr(14, 2));
    const auto second = decimal(text.substr(17, 2));
    const auto millisecond = decimal(text.substr(20, 3));
    if (!year || !month || !day || !hour || !minute || !second || !millisecond || *month < 1 || *month > 12)
        return boost::none;
    const int64_t seconds = days_from_civil(*year, *month, *day) * 86400 + *hour * 3600 + *minute * 60 + *second;
    return seconds * 1000 + *millisecond;
}

boost::optional<int64_t> counter_of_document(boost::string_view message) {
    const auto at = message.find(ts_member);
    if (at == boost::string_view::npos)
        return boost::none;
    const auto ms = milliseconds_of_ts(message.substr(at + ts_member.size()));
    if (!ms)
        return boost::none;
    return *ms - counter_base_ms;
}

std::string request_mac(int64_t counter) {
    std::string mac = counter >= 0 ? "D0" : "D1";
    append_hex(mac, static_cast<uint64_t>(counter >= 0 ? counter : -counter), counter_digits);
    return mac;
}

boost::optional<int64_t> counter_of_downlink(boost::string_view message) {
    if (message.size() < 16)
        return boost::none;
    const auto address = message.substr(message.size() - 16);
    const bool measured = address.starts_with("D0");
    if (!measured && !address.starts_with("D1"))
        return boost::none;
    const std::string digits = address.substr(2, 4).to_string() + address.substr(10).to_string();
    const auto value = hex_number(digits);
    if (!value)
        return boost::none;
    return measured ? static_cast<int64_t>(*value) : -static_cast<int64_t>(*value);
}

namespace {
std::string request_head(int64_t counter) { return "{\"mac\":\"" + request_mac(counter) + "\",\"message\":"; }
}  // namespace

std::string param_set_request(int64_t counter) {
    return request_head(counter) + "{\"param_set\":{\"report_period\":" + std::to_string(60 + counter % 60) +
           ",\"tx_power\":-4}}}";
}

std::string downlink_request(int64_t counter) {
    if (counter % 2 == 0)
        return param_set_request(counter);
    return request_head(counter) + "{\"reboot\":{}}}";
}

std::string node_address(uint32_t node) { return "0A1B2CFFFE" + to_hex(node, 6); }

std::string gateway_frame(int64_t timestamp_ms, boost::string_view data) {
    std::string frame = "0006";
    append_hex(frame, static_cast<uint64_t>(timestamp_ms / 1000), 8);
    append_hex(frame, static_cast<uint64_t>(timestamp_ms % 1000), 4);
    append_hex(frame, data.size() / 2, 4);
    frame.append(data.data(), data.size());
    return frame;
}

std::string heartbeat_data(const node_report& report) {
    std::string data = "01040000";
    append_hex(data, report.m_pos_freq, 2);
    append_hex(data, report.m_node_type_code, 2);
    append_hex(data, report.m_sublocation, 2);
    data += node_address(report.m_node);
    append_zeros(data, 12);
    append_hex(data, static_cast<uint32_t>(report.m_x), 8);
    append_hex(data, static_cast<uint32_t>(report.m_y), 8);
    append_hex(data, static_cast<uint16_t>(report.m_sl_z), 4);
    append_hex(data, static_cast<uint16_t>(report.m_z), 4);
    append_zeros(data, 8);
    return data;
}

std::string announce_data(const node_report& report) {
    std::string data = "010F";
    append_zeros(data, 4);
    append_hex(data, report.m_sublocation, 2);
    data += node_address(report.m_node);
    append_zeros(data, 12);
    append_hex(data, static_cast<uint32_t>(report.m_x), 8);
    append_hex(data, static_cast<uint32_t>(report.m_y), 8);
    append_zeros(data, 2);
    append_hex(data, static_cast<uint16_t>(report.m_z), 4);
    append_zeros(data, 8);
    return data;
}

std::string position_command(const position_record& position) {
    std::string command;
    append_hex(command, static_cast<uint32_t>(position.m_x), 8);
    append_hex(command, static_cast<uint32_t>(position.m_y), 8);
    append_hex(command, static_cast<uint32_t>(position.m_z), 8);
    append_hex(command, position.m_sublocation, 2);
    append_hex(command, position.m_fom, 2);
    append_zeros(command, 3);
    append_hex(command, position.m_flags, 2);
    if (position.m_source)
        command += "010101";
    if (position.m_velocity) {
        command += "0206";
        append_hex(command, static_cast<uint16_t>(position.m_x % 300), 4);
        append_hex(command, 50, 2);
        append_hex(command, static_cast<uint16_t>(position.m_y % 180), 4);
        append_hex(command, 40, 2);
    }
    if (position.m_metrics) {
        command += "0303";
        append_hex(command, static_cast<uint32_t>(position.m_fom) * 0x010101u, 6);
    }
    return command;
}

std::string parameter_command(const std::vector<parameter_record>& records) {
    std::string command;
    for (const auto& record : records) {
        append_hex(command, record.m_number, 2);
        append_hex(command, record.m_value_hex.size() / 2, 2);
        command += record.m_value_hex;
    }
    return command;
}

std::string generic_data(boost::string_view command, boost::string_view command_data, uint32_t node) {
    std::string data = "010E00";
    append_hex(data, 2 + command_data.size() / 2, 4);
    data.append(command.data(), command.size());
    data.append(command_data.data(), command_data.size());
    data += node_address(node);
    return data;
}

boost::optional<mix> parse_mix(boost::string_view text) {
    unsigned weights[4] = {0, 0, 0, 0};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto end = i < 3 ? text.find(':') : text.size();
        if (end == boost::string_view::npos || end == 0)
            return boost::none;
        const auto value = decimal(text.substr(0, end));
        if (!value)
            return boost::none;
        weights[i] = *value;
        text.remove_prefix(std::min(text.size(), end + 1));
    }
    if (weights[0] + weights[1] + weights[2] + weights[3] == 0)
        return boost::none;
    return mix{weights[0], weights[1], weights[2], weights[3]};
}

std::vector<frame_template> builtin_frames(const mix& weights, uint32_t nodes) {
    const auto cycle = cycle_of(weights);
    nodes = std::max(nodes, 1u);
    // At least one frame per node, in whole cycles so that the weights hold exactly.
    const std::size_t count =
        (std::max<std::size_t>(nodes, cycle.size()) + cycle.size() - 1) / cycle.size() * cycle.size();
    std::vector<frame_template> frames;
    frames.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        const auto kind = cycle[k % cycle.size()];
        const std::string data = data_of(kind, static_cast<uint32_t>(k), static_cast<uint32_t>(k % nodes));
        frames.push_back({gateway_frame(counter_base_ms, data), kind, load_profile::documents_of(data).m_count});
    }
    return frames;
}

std::vector<frame_template> capture_frames(std::istream& lines, std::size_t& refused) {
    std::vector<frame_template> frames;
    refused = 0;
    std::string line;
    while (std::getline(lines, line)) {
        const auto text = tools::trim_line(line);
        if (text.empty() || text.front() == '#')
            continue;
        std::string hex = text.to_string();
        std::transform(hex.begin(), hex.end(), hex.begin(), [](unsigned char c) { return std::toupper(c); });
        const auto frame = load_profile::read_frame(hex);
        if (!frame) {
            ++refused;
            continue;
        }
        const auto documents = load_profile::documents_of(frame->m_data).m_count;
        frames.push_back({std::move(hex), frame_kind::CAPTURED, documents});
    }
    return frames;
}

}  // namespace orx::load
