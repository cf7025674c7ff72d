#include "gateway_message_parser.hpp"

#include "converter_utils.hpp"

#include <core/exception.hpp>

namespace orx {

using libs::core::exception;

namespace {

// Each character's upper-case form when it is accepted as a hex digit (a decimal
// digit, or a letter that is 'A' to 'F' once its 0x20 bit is cleared), else 0.
struct upper_hex_table {
    constexpr upper_hex_table() : table() {
        for (int c = 0; c < 256; ++c) {
            const int upper = c & ~0x20;
            if (c >= '0' && c <= '9')
                table[c] = static_cast<char>(c);
            else if (upper >= 'A' && upper <= 'F')
                table[c] = static_cast<char>(upper);
        }
    }
    constexpr char operator[](unsigned char c) const { return table[c]; }
    char table[256];
};

constexpr upper_hex_table upper_hex_digit;

}  // namespace

boost::optional<uint16_t> gateway_message_parser::get_size(const string_view& _buffer) const {
    // The condition's text, spaces included, is the check's message.
    // clang-format off
    CORE_CHECK(_buffer.size() >= bytes( 2u ));
    // clang-format on
    return parse_number<uint16_t>(_buffer);
}

boost::optional<gateway_message_parser::timestamp_data> gateway_message_parser::get_timestamp(
    const string_view& buffer) const {
    const auto size = get_size(buffer);
    if (!size)
        return boost::none;
    const auto timestamp = buffer.substr(bytes(2u), bytes(*size));
    // The condition's text, spaces included, is the check's message.
    // clang-format off
    CORE_CHECK(timestamp.size() == bytes( *size ));
    // clang-format on
    return timestamp_data{timestamp, buffer.substr(bytes(2u) + timestamp.size())};
}

boost::optional<gateway_message_parser::data> gateway_message_parser::get_data(const string_view& buffer) const {
    const auto size = get_size(buffer);
    if (!size)
        return boost::none;
    const auto data_buf = buffer.substr(bytes(2u), bytes(*size));
    // The condition's text, spaces included, is the check's message.
    // clang-format off
    CORE_CHECK(data_buf.size() == bytes( *size ));
    // clang-format on
    return data{data_buf, buffer.substr(bytes(2u) + data_buf.size())};
}

gateway_message_parser::gateway_message gateway_message_parser::parse(const binary_message& message,
                                                                      std::unique_ptr<std::string> buffer) const {
    // Without a buffer to reuse, one allocation for the string object and one for
    // its characters, written in place.
    auto validated = buffer ? std::move(buffer) : std::make_unique<std::string>();
    validated->assign(message.m_hex.size(), '\0');
    char* out = &(*validated)[0];
    for (const char c : message.m_hex) {
        const char upper = upper_hex_digit[static_cast<unsigned char>(c)];
        if (upper == 0)
            throw exception("The message contain non-hex chars", CORE_CURRENT_LOCATION);
        *out++ = upper;
    }

    const string_view text(*validated);
    const auto timestamp = get_timestamp(text);
    if (!timestamp)
        throw exception("Can not parse timestamp", CORE_CURRENT_LOCATION);
    const auto data_part = get_data(timestamp->m_rest);
    if (!data_part)
        throw exception("Can not parse data", CORE_CURRENT_LOCATION);
    if (timestamp->m_timestamp.size() < bytes(6u))
        throw exception("The timestamp must be 6 bytes long", CORE_CURRENT_LOCATION);

    const uint64_t seconds = *parse_number<uint32_t>(timestamp->m_timestamp);
    const uint64_t milliseconds = *parse_number<uint16_t>(timestamp->m_timestamp.substr(8));
    const uint64_t value = seconds * 1000u + milliseconds;

    if (data_part->m_data.size() < bytes(8u))
        throw exception("Expected mac address", CORE_CURRENT_LOCATION);

    const auto section = data_part->m_data;
    return gateway_message(libs::core::timestamp(static_cast<int64_t>(value)), section, std::move(validated));
}

}  // namespace orx
