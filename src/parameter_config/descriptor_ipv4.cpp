#include "parameter_config/descriptor_ipv4.hpp"

#include "converter_utils.hpp"
#include "parameter_config/address_text.hpp"

#include <arpa/inet.h>

#include <algorithm>

namespace orx::parameters {

boost::optional<Json::Value> descriptor_ipv4::convert_bin_to_json(string_view hex) const {
    std::string text;
    for (std::size_t i = 0; i < 4; ++i) {
        // A text too short for the byte raises the optional-access error.
        const unsigned byte = parse_number<unsigned char>(hex.substr(std::min(2 * i, hex.size()))).value();
        if (i > 0)
            text += '.';
        text += std::to_string(byte);
    }
    return Json::Value(text);
}

boost::optional<std::string> descriptor_ipv4::convert_json_to_bin(const Json::Value& value) const {
    return address_to_hex(AF_INET, value);
}

}  // namespace orx::parameters
