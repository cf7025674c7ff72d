#include "parameter_config/address_text.hpp"

#include "converter_utils.hpp"

#include <arpa/inet.h>

#include <cstring>

namespace orx::parameters {

boost::optional<std::string> address_to_hex(int family, const Json::Value& value) {
    if (!value.isString())
        return boost::none;
    const std::string text = value.asString();
    // inet_pton stops at a NUL, so a text with one inside would pass on its head alone.
    if (text.find('\0') != std::string::npos)
        return boost::none;
    unsigned char address[16];
    if (inet_pton(family, text.c_str(), address) != 1)
        return boost::none;
    const std::size_t length = family == AF_INET ? 4 : 16;
    std::string hex;
    hex.reserve(2 * length);
    for (std::size_t i = 0; i < length; ++i)
        append_hex(hex, address[i], 2);
    return hex;
}

}  // namespace orx::parameters
