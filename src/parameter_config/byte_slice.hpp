#pragma once

#include <boost/optional.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orx::parameters {

// args[index] as an unsigned decimal number. A missing arg raises the bounds
// error of std::vector::at; a text that is not a decimal number (the empty text
// too) raises boost::bad_lexical_cast.
uint32_t decimal_arg(const std::vector<std::string>& args, std::size_t index);

// A range of bits of one byte, numbered 0 (least significant) to 7, used by the
// formats that pack a small number into part of a byte.
struct byte_slice {
    uint32_t low;
    uint32_t high;

    // Bits low..high of `byte` as a number.
    uint32_t extract(unsigned char byte) const;
    // The low (high - low + 1) bits of `value` placed at bits low..high, every
    // other bit 0.
    unsigned char place(uint32_t value) const;
};

// The range whose lowest bit is args[0] and highest bit args[1] (read in that
// order with decimal_arg). Nothing when the low bit is above the high bit or the
// high bit is above 7: such a range addresses no bits of a byte.
boost::optional<byte_slice> read_byte_slice(const std::vector<std::string>& args);

}  // namespace orx::parameters
