#include "parameter_config/descriptor_uint.hpp"

#include "converter_utils.hpp"
#include "parameter_config/descriptor_rules.hpp"

namespace orx::parameters {

const std::string descriptor_uint::type_name = "UINT";

descriptor_uint::descriptor_uint(boost::optional<uint32_t> num, boost::optional<uint32_t> offset, string_view name,
                                 string_view jname, boost::optional<uint32_t> size, bool readonly,
                                 boost::optional<zero_size_interpretation> zero_size)
    : descriptor(num, offset, name, jname, size, readonly, zero_size) {
    require_integer_size(jname, size, CORE_CURRENT_LOCATION);
}

boost::optional<Json::Value> descriptor_uint::convert_bin_to_json(string_view hex) const {
    // A text that does not hold the number raises the optional-access error.
    switch (*get_size()) {
    case 1:
        return Json::Value(static_cast<Json::UInt>(parse_number<unsigned char>(hex).value()));
    case 2:
        return Json::Value(static_cast<Json::UInt>(parse_number<unsigned short>(hex).value()));
    default:
        return Json::Value(static_cast<Json::UInt>(parse_number<unsigned int>(hex).value()));
    }
}

boost::optional<std::string> descriptor_uint::convert_json_to_bin(const Json::Value& value) const {
    if (!value.isUInt())
        return boost::none;
    return to_hex(value.asUInt(), bytes(*get_size()));
}

}  // namespace orx::parameters
