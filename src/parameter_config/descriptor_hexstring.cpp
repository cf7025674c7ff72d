#include "parameter_config/descriptor_hexstring.hpp"

#include "parameter_config/hex_text.hpp"

namespace orx::parameters {

boost::optional<Json::Value> descriptor_hexstring::convert_bin_to_json(string_view hex) const {
    return hex_text_to_json(hex);
}

boost::optional<std::string> descriptor_hexstring::convert_json_to_bin(const Json::Value& value) const {
    return json_to_hex_text(value);
}

}  // namespace orx::parameters
