#include "parameter_config/descriptor_uint.hpp"

#include "converter_utils.hpp"

namespace orx::parameters {

boost::optional<Json::Value> descriptor_uint::convert_bin_to_json(string_view hex) const {
    // A text that does not hold the number raises the optional-access error.
    switch (*get_size()) {
    case 1: return Json::Value(static_cast<Json::UInt>(parse_number<unsigned char>(hex).value()));
    case 2: return Json::Value(static_cast<Json::UInt>(parse_number<unsigned short>(hex).value()));
    default: return Json::Value(static_cast<Json::UInt>(parse_number<unsigned int>(hex).value()));
    }
}

boost::optional<std::string> descriptor_uint::convert_json_to_bin(const Json::Value& value) const {
    if (!value.isUInt())
        return boost::none;
    return to_hex(value.asUInt(), bytes(*get_size()));
}

}  // namespace orx::parameters
