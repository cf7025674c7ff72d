#include "parameter_config/descriptor_int.hpp"

#include "converter_utils.hpp"
#include "parameter_config/descriptor_rules.hpp"

namespace orx::parameters {

const std::string descriptor_int::type_name = "INT";

descriptor_int::descriptor_int(boost::optional<uint32_t> num, boost::optional<uint32_t> offset, string_view name,
                               string_view jname, boost::optional<uint32_t> size, bool readonly,
                               boost::optional<zero_size_interpretation> zero_size)
    : descriptor(num, offset, name, jname, size, readonly, zero_size) {
    require_integer_size(jname, size, CORE_CURRENT_LOCATION);
}

boost::optional<Json::Value> descriptor_int::convert_bin_to_json(string_view hex) const {
    switch (*get_size()) {
    case 1:
        return Json::Value(static_cast<Json::Int>(parse_number<signed char>(hex).value()));
    case 2:
        return Json::Value(static_cast<Json::Int>(parse_number<short>(hex).value()));
    default:
        return Json::Value(static_cast<Json::Int>(parse_number<int>(hex).value()));
    }
}

boost::optional<std::string> descriptor_int::convert_json_to_bin(const Json::Value& value) const {
    if (!value.isInt())
        return boost::none;
    // The low bits of the two's complement, cut to the field width.
    return to_hex(static_cast<uint32_t>(value.asInt()), bytes(*get_size()));
}

}  // namespace orx::parameters
