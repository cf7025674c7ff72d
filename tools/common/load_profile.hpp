#pragma once

// What tarnwick publishes for one gateway frame, told from the frame's shape alone.
//
// The load tool counts the documents it expects per frame with it, and the null relay publishes
// that many messages of about that size per frame, so both follow one rule. The rule mirrors the
// uplink dispatch: every frame but a position report yields an "obsolete" document; announces and
// heartbeats (with a known node type) an "event"; generic frames whose size field is right a "pos"
// (position record present) or a "param" document. Field contents are not decoded: a parameter
// report is taken to name known parameters, which holds for the load tool's own frames.

#include "converter_utils.hpp"

#include <boost/optional.hpp>
#include <boost/utility/string_view.hpp>

#include <array>
#include <cstddef>
#include <cstdint>

namespace orx::load_profile {

// A gateway frame that the service's parser accepts: its time stamp and its data section.
struct frame {
    int64_t m_timestamp_ms;
    boost::string_view m_data;
};

// Typical lengths of the compact documents, in characters, with a 24-character "ts".
namespace sizes {
constexpr std::size_t obsolete_without_hex = 63;
constexpr std::size_t heartbeat = 171;
constexpr std::size_t announce = 130;
constexpr std::size_t position = 148;
constexpr std::size_t per_extension_byte = 5;
constexpr std::size_t parameters = 127;
}  // namespace sizes

struct document {
    boost::string_view m_topic;
    std::size_t m_size;
};

// At most two documents come of one frame.
struct documents {
    std::array<document, 2> m_items{};
    std::size_t m_count = 0;

    void add(boost::string_view topic, std::size_t size) { m_items[m_count++] = document{topic, size}; }
    const document* begin() const { return m_items.data(); }
    const document* end() const { return m_items.data() + m_count; }
};

namespace detail {

// Message and command codes compare without regard to case: gateways may send either.
inline bool has_code(boost::string_view text, std::size_t at, boost::string_view code) {
    if (text.size() < at + code.size())
        return false;
    for (std::size_t i = 0; i < code.size(); ++i)
        if ((text[at + i] & ~0x20) != (code[i] & ~0x20))
            return false;
    return true;
}

// A parameter report yields a document when at least one record is whole (or empty).
inline bool has_parameter_record(boost::string_view command_data) {
    const std::size_t n = command_data.size() / 2;
    for (std::size_t p = 0; p + 1 < n;) {
        const std::size_t length = *parse_number<uint8_t>(command_data.substr(bytes(p + 1)));
        if (length == 0 || p + 2 + length <= n)
            return true;
        p += 2 + length;
    }
    return false;
}

inline void add_generic(boost::string_view data, documents& out) {
    const auto size = parse_number<uint16_t>(data.substr(std::min<std::size_t>(6, data.size())));
    const auto n = static_cast<int64_t>(data.size() / 2);
    if (!size || *size != n - 13)
        return;
    const auto command_data = data.substr(14, *size >= 2 ? bytes(*size - 2u) : 0u);
    if (has_code(data, 10, "0020")) {
        if (command_data.size() >= 36)
            out.add("pos", sizes::position + sizes::per_extension_byte * (command_data.size() / 2 - 18));
    } else if (has_code(data, 10, "000E")) {
        if (command_data.size() > 3 && has_parameter_record(command_data))
            out.add("param", sizes::parameters);
    } else if (has_code(data, 10, "000F")) {
        if (command_data.size() > 3)
            out.add("param", sizes::parameters);
    }
}

}  // namespace detail

// The frame's time stamp and data section, or nothing where the service would refuse the text.
inline boost::optional<frame> read_frame(boost::string_view hex) {
    for (const char c : hex)
        if (orx::detail::hex_value(c) < 0)
            return boost::none;
    const auto stamp_length = parse_number<uint16_t>(hex);
    if (!stamp_length || *stamp_length < 6)
        return boost::none;
    const std::size_t data_at = bytes(2u) + bytes(*stamp_length);
    const auto data_length = parse_number<uint16_t>(hex.substr(std::min(data_at, hex.size())));
    if (!data_length || *data_length < 8 || hex.size() < data_at + bytes(2u) + bytes(*data_length))
        return boost::none;
    const int64_t seconds = *parse_number<uint32_t>(hex.substr(4));
    const int64_t milliseconds = *parse_number<uint16_t>(hex.substr(12));
    return frame{seconds * 1000 + milliseconds, hex.substr(data_at + bytes(2u), bytes(*data_length))};
}

// The documents that the service publishes for a frame with this data section, in their order.
inline documents documents_of(boost::string_view data) {
    documents out;
    const bool generic = detail::has_code(data, 0, "010E");
    const bool position = generic && detail::has_code(data, 10, "0020");
    if (!position)
        out.add("obsolete", sizes::obsolete_without_hex + data.size());
    if (data.size() > 93 && detail::has_code(data, 0, "010F"))
        out.add("event", sizes::announce);
    if (data.size() > 93 && detail::has_code(data, 0, "0104")) {
        const unsigned node_type = *parse_number<uint8_t>(data.substr(10)) & 7u;
        if (node_type >= 1 && node_type <= 6)
            out.add("event", sizes::heartbeat);
    }
    if (generic)
        detail::add_generic(data, out);
    return out;
}

}  // namespace orx::load_profile
