#pragma once

#include <json/value.h>

#include <boost/optional.hpp>
#include <boost/utility/string_view.hpp>

#include <cstdint>
#include <string>
#include <type_traits>

namespace orx {

using json = Json::Value;

// The number of hex characters that n bytes occupy.
template <typename T, typename = std::enable_if_t<std::is_unsigned<T>::value>>
constexpr uint32_t bytes(T n) {
    return static_cast<uint32_t>(2u * n);
}

namespace detail {

// Value of one hex digit of either case, or -1.
constexpr int hex_value(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

constexpr char upper_hex_digits[] = "0123456789ABCDEF";

}  // namespace detail

// Reads exactly the first 2 * sizeof(T) characters of `text` as one big-endian hex
// number; signed types take the bits as two's complement. Nothing for a shorter
// text or a character that is not a hex digit.
template <typename T>
boost::optional<T> parse_number(boost::string_view text) {
    static_assert(std::is_integral<T>::value && sizeof(T) <= 4, "8-, 16- or 32-bit integers and char");
    constexpr std::size_t digits = 2 * sizeof(T);
    if (text.size() < digits)
        return boost::none;
    uint32_t value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int digit = detail::hex_value(text[i]);
        if (digit < 0)
            return boost::none;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    using unsigned_type = std::make_unsigned_t<T>;
    return static_cast<T>(static_cast<unsigned_type>(value));
}

// Appends the low `digits` hex digits of `value`, upper case, most significant first.
inline void append_hex(std::string& out, uint64_t value, unsigned digits) {
    for (unsigned i = digits; i-- > 0;)
        out += detail::upper_hex_digits[(value >> (4 * i)) & 0xF];
}

inline std::string to_hex(uint64_t value, unsigned digits) {
    std::string out;
    out.reserve(digits);
    append_hex(out, value, digits);
    return out;
}

}  // namespace orx
