#include "parameter_config/descriptor_ipv4.hpp"

#include "converter_utils.hpp"
#include "parameter_config/address_text.hpp"

#include <arpa/inet.h>

#include <algorithm>

namespace orx::parameters {

const std::string descriptor_ipv4::type_name = "IPV4";

descriptor_ipv4::descriptor_ipv4(boost::optional<uint32_t> num, boost::optional<uint32_t> offset, string_view name,
                                 string_view jname, boost::optional<uint32_t>, bool readonly,
                                 boost::optional<zero_size_interpretation> zero_size)
    : descriptor(num, offset, name, jname, 4u, readonly, zero_size) {}

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
