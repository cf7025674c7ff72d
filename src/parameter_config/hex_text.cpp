#include "parameter_config/hex_text.hpp"

#include "converter_utils.hpp"

#include <algorithm>

namespace orx::parameters {

Json::Value hex_text_to_json(boost::string_view hex) { return Json::Value(hex.data(), hex.data() + hex.size()); }

boost::optional<std::string> json_to_hex_text(const Json::Value& value) {
    if (!value.isString())
        return boost::none;
    std::string text = value.asString();
    if (text.size() % 2 != 0 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return orx::detail::hex_value(c) >= 0; }))
        return boost::none;
    return text;
}

}  // namespace orx::parameters
