#include "parameter_config/descriptor_byte_slice_uint.hpp"

#include "converter_utils.hpp"
#include "parameter_config/byte_slice.hpp"

namespace orx::parameters {

boost::optional<Json::Value> descriptor_byte_slice_uint::convert_bin_to_json(string_view hex) const {
    const unsigned char byte = parse_number<unsigned char>(hex).value();
    const auto slice = read_byte_slice(get_args());
    if (!slice)
        return boost::none;
    return Json::Value(static_cast<Json::UInt>(slice->extract(byte)));
}

boost::optional<std::string> descriptor_byte_slice_uint::convert_json_to_bin(const Json::Value& value) const {
    if (!value.isUInt())
        return boost::none;
    const auto slice = read_byte_slice(get_args());
    if (!slice)
        return boost::none;
    return to_hex(slice->place(value.asUInt()), bytes(1u));
}

}  // namespace orx::parameters
