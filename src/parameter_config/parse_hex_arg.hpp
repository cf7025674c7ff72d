#pragma once

#include <ios>
#include <sstream>
#include <string>

namespace orx {

// Reads a hexadecimal arg of the parameter file (a mask) with stream extraction:
// leading blanks are skipped, a 0x or 0X prefix is accepted and reading stops at
// the first character that is not a hex digit. A text without any hex digit gives
// 0; a value beyond the range of T gives the largest T.
template <typename T>
T parse_hex_arg(const std::string& text) {
    std::istringstream stream(text);
    T value = 0;
    stream >> std::hex >> value;
    return value;
}

}  // namespace orx
