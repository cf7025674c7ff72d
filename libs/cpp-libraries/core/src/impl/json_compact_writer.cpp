#include "json_compact_writer.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace orx::libs::core::json::detail {

namespace {

// jsoncpp writes these bytes inside quotes as they are; every other byte
// (control characters, quote, backslash, anything from 0x80) is escaped.
bool is_raw(unsigned char c) { return c >= 0x20 && c <= 0x7F && c != '"' && c != '\\'; }

// Whether every byte of [begin, end) is written raw; eight bytes at a time.
bool all_raw(const char* begin, const char* end) {
    constexpr uint64_t ones = 0x0101010101010101u;
    constexpr uint64_t highs = 0x8080808080808080u;
    // Some byte of x is below n (n at most 0x80); some byte of x is zero.
    const auto has_less = [](uint64_t x, uint64_t n) { return (x - ones * n) & ~x & highs; };
    const auto has_zero = [&](uint64_t x) { return has_less(x, 1); };
    for (; end - begin >= 8; begin += 8) {
        uint64_t word;
        std::memcpy(&word, begin, sizeof word);
        if ((has_less(word, 0x20) | (word & highs) | has_zero(word ^ (ones * '"')) | has_zero(word ^ (ones * '\\'))) !=
            0)
            return false;
    }
    return std::all_of(begin, end, [](char c) { return is_raw(static_cast<unsigned char>(c)); });
}

template <typename Integer>
void append_integer(Integer number, std::string& out) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, end);
}

}  // namespace

compact_writer::compact_writer() {
    Json::StreamWriterBuilder builder;
    builder["commentStyle"] = "None";
    builder["indentation"] = "";
    m_fallback.reset(builder.newStreamWriter());
}

void compact_writer::append(const Json::Value& value, std::string& out) {
    switch (value.type()) {
    case Json::nullValue: out += "null"; return;
    case Json::booleanValue: out += value.asBool() ? "true" : "false"; return;
    case Json::intValue: append_integer(value.asLargestInt(), out); return;
    case Json::uintValue: append_integer(value.asLargestUInt(), out); return;
    case Json::realValue: append_by_jsoncpp(value, out); return;
    case Json::stringValue: {
        const char* begin = nullptr;
        const char* end = nullptr;
        if (value.getString(&begin, &end))
            append_string(begin, end, out);
        else
            append_by_jsoncpp(value, out);
        return;
    }
    case Json::arrayValue: {
        // Indexed, not iterated: an array may have gaps, which read (and are
        // written) as null.
        out += '[';
        for (Json::ArrayIndex i = 0, size = value.size(); i < size; ++i) {
            if (i > 0)
                out += ',';
            append(value[i], out);
        }
        out += ']';
        return;
    }
    case Json::objectValue: {
        out += '{';
        bool first = true;
        for (auto member = value.begin(), end = value.end(); member != end; ++member) {
            if (!first)
                out += ',';
            first = false;
            const char* name_end = nullptr;
            const char* name = member.memberName(&name_end);
            append_string(name, name_end, out);
            out += ':';
            append(*member, out);
        }
        out += '}';
        return;
    }
    }
}

void compact_writer::append_string(const char* begin, const char* end, std::string& out) {
    if (all_raw(begin, end)) {
        const auto length = static_cast<std::string::size_type>(end - begin);
        out.reserve(out.size() + length + 2);
        out += '"';
        out.append(begin, length);
        out += '"';
    } else {
        append_by_jsoncpp(Json::Value(begin, end), out);
    }
}

void compact_writer::append_by_jsoncpp(const Json::Value& scalar, std::string& out) {
    m_stream.str(std::string());
    m_stream.clear();
    m_fallback->write(scalar, &m_stream);
    out += m_stream.str();
}

}  // namespace orx::libs::core::json::detail
