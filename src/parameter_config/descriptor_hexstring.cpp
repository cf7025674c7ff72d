#include "parameter_config/descriptor_hexstring.hpp"

#include "parameter_config/descriptor_rules.hpp"
#include "parameter_config/hex_text.hpp"

namespace orx::parameters {

const std::string descriptor_hexstring::type_name = "HEXSTRING";

descriptor_hexstring::descriptor_hexstring(boost::optional<uint32_t> num, boost::optional<uint32_t> offset,
                                           string_view name, string_view jname, boost::optional<uint32_t> size,
                                           bool readonly, boost::optional<zero_size_interpretation> zero_size)
    : descriptor(num, offset, name, jname, size, readonly, zero_size) {
    require_size(jname, size, CORE_CURRENT_LOCATION);
}

boost::optional<Json::Value> descriptor_hexstring::convert_bin_to_json(string_view hex) const {
    return hex_text_to_json(hex);
}

boost::optional<std::string> descriptor_hexstring::convert_json_to_bin(const Json::Value& value) const {
    return json_to_hex_text(value);
}

}  // namespace orx::parameters
