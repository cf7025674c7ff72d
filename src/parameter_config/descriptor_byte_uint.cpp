#include "parameter_config/descriptor_byte_uint.hpp"

#include "converter_utils.hpp"
#include "parameter_config/parse_hex_arg.hpp"

namespace orx::parameters {

boost::optional<Json::Value> descriptor_byte_uint::convert_bin_to_json(string_view hex) const {
    const unsigned char byte = parse_number<unsigned char>(hex).value();
    const unsigned int mask = parse_hex_arg<unsigned int>(get_args().at(0));
    return Json::Value(static_cast<Json::UInt>(byte & mask));
}

boost::optional<std::string> descriptor_byte_uint::convert_json_to_bin(const Json::Value& value) const {
    if (!value.isUInt())
        return boost::none;
    const unsigned int mask = parse_hex_arg<unsigned int>(get_args().at(0));
    return to_hex(value.asUInt() & 0xFFu & mask, bytes(1u));
}

}  // namespace orx::parameters
