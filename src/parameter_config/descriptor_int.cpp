#include "parameter_config/descriptor_int.hpp"

#include "converter_utils.hpp"

namespace orx::parameters {

boost::optional<Json::Value> descriptor_int::convert_bin_to_json(string_view hex) const {
    switch (*get_size()) {
    case 1: return Json::Value(static_cast<Json::Int>(parse_number<signed char>(hex).value()));
    case 2: return Json::Value(static_cast<Json::Int>(parse_number<short>(hex).value()));
    default: return Json::Value(static_cast<Json::Int>(parse_number<int>(hex).value()));
    }
}

boost::optional<std::string> descriptor_int::convert_json_to_bin(const Json::Value& value) const {
    if (!value.isInt())
        return boost::none;
    // The low bits of the two's complement, cut to the field width.
    return to_hex(static_cast<uint32_t>(value.asInt()), bytes(*get_size()));
}

}  // namespace orx::parameters
