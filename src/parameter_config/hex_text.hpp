#pragma once

#include <json/value.h>

#include <boost/optional.hpp>
#include <boost/utility/string_view.hpp>

#include <string>

namespace orx::parameters {

// Conversions of the formats that pass raw bytes through as their hex text.

// The text unchanged, as a JSON string (case kept, not checked).
Json::Value hex_text_to_json(boost::string_view hex);

// The JSON string unchanged (case kept) when it is whole bytes of hex digits;
// nothing for any other value, so that a bad text never reaches a frame.
boost::optional<std::string> json_to_hex_text(const Json::Value& value);

}  // namespace orx::parameters
