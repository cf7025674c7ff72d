#include "parameter_config/descriptor_byte_str.hpp"

#include "converter_utils.hpp"
#include "parameter_config/parse_hex_arg.hpp"

namespace orx::parameters {

// Only the word that is needed is read, so a list with just the "set" word
// works for set bits.
boost::optional<Json::Value> descriptor_byte_str::convert_bin_to_json(string_view hex) const {
    const unsigned char byte = parse_number<unsigned char>(hex).value();
    const auto& args = get_args();
    const unsigned int mask = parse_hex_arg<unsigned int>(args.at(0));
    return Json::Value((byte & mask) != 0 ? args.at(1) : args.at(2));
}

boost::optional<std::string> descriptor_byte_str::convert_json_to_bin(const Json::Value& value) const {
    if (!value.isString())
        return boost::none;
    const auto& args = get_args();
    const unsigned int mask = parse_hex_arg<unsigned int>(args.at(0));
    const std::string word = value.asString();
    if (word == args.at(1))
        return to_hex(mask & 0xFFu, bytes(1u));
    if (word == args.at(2))
        return to_hex(0, bytes(1u));
    return boost::none;
}

}  // namespace orx::parameters
