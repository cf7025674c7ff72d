#include "parameter_config/descriptor_mul_uint.hpp"

#include "converter_utils.hpp"
#include "parameter_config/byte_slice.hpp"

namespace orx::parameters {

boost::optional<Json::Value> descriptor_mul_uint::convert_bin_to_json(string_view hex) const {
    const uint32_t byte = parse_number<unsigned char>(hex).value();
    return Json::Value(static_cast<Json::UInt>(byte * decimal_arg(get_args(), 0)));
}

boost::optional<std::string> descriptor_mul_uint::convert_json_to_bin(const Json::Value& value) const {
    if (!value.isUInt())
        return boost::none;
    const uint32_t multiplier = decimal_arg(get_args(), 0);
    // No byte scales back to a value through a multiplier of 0.
    if (multiplier == 0)
        return boost::none;
    return to_hex((value.asUInt() / multiplier) & 0xFFu, bytes(1u));
}

}  // namespace orx::parameters
