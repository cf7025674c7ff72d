#include "parameter_config/descriptor_ipv6.hpp"

#include "parameter_config/address_text.hpp"

#include <arpa/inet.h>

namespace orx::parameters {

boost::optional<Json::Value> descriptor_ipv6::convert_bin_to_json(string_view hex) const {
    // Eight groups of four characters copied as they are; a group starting past the
    // end of the text raises "string_view::substr", one cut by the end is shorter.
    std::string text;
    text.reserve(39);
    for (std::size_t group = 0; group < 8; ++group) {
        const auto digits = hex.substr(4 * group, 4);
        if (group > 0)
            text += ':';
        text.append(digits.data(), digits.size());
    }
    return Json::Value(text);
}

boost::optional<std::string> descriptor_ipv6::convert_json_to_bin(const Json::Value& value) const {
    return address_to_hex(AF_INET6, value);
}

}  // namespace orx::parameters
