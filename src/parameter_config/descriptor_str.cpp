#include "parameter_config/descriptor_str.hpp"

#include "converter_utils.hpp"

namespace orx::parameters {

boost::optional<Json::Value> descriptor_str::convert_bin_to_json(string_view hex) const {
    std::string text;
    text.reserve(hex.size() / 2);
    // A pair that is not two hex digits (also a lone last character) raises the
    // optional-access error, unless a NUL byte has ended the string before it.
    for (std::size_t position = 0; position < hex.size(); position += 2) {
        const char c = parse_number<char>(hex.substr(position)).value();
        if (c == '\0')
            break;
        text += c;
    }
    return Json::Value(text);
}

boost::optional<std::string> descriptor_str::convert_json_to_bin(const Json::Value& value) const {
    if (!value.isString())
        return boost::none;
    const std::string text = value.asString();
    std::string hex;
    hex.reserve(bytes(text.size()));
    for (const char c : text)
        append_hex(hex, static_cast<unsigned char>(c), 2);
    return hex;
}

}  // namespace orx::parameters
