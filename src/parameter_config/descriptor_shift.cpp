#include "parameter_config/descriptor_shift.hpp"

#include "converter_utils.hpp"
#include "parameter_config/byte_slice.hpp"

namespace orx::parameters {

namespace {

// Shift counts wrap at the width of a 32-bit number.
uint32_t shift_count(const std::vector<std::string>& args) { return decimal_arg(args, 0) % 32; }

}  // namespace

boost::optional<Json::Value> descriptor_shift::convert_bin_to_json(string_view hex) const {
    const uint32_t byte = parse_number<unsigned char>(hex).value();
    return Json::Value(static_cast<Json::UInt>(byte >> shift_count(get_args())));
}

boost::optional<std::string> descriptor_shift::convert_json_to_bin(const Json::Value& value) const {
    if (!value.isUInt())
        return boost::none;
    // Bits pushed beyond the byte are lost.
    return to_hex(((value.asUInt() & 0xFFu) << shift_count(get_args())) & 0xFFu, bytes(1u));
}

}  // namespace orx::parameters
