#pragma once

#include <boost/optional.hpp>
#include <boost/utility/string_view.hpp>

#include <string>

namespace orx {

// ORs two hex texts digit by digit, aligned at their first character; the shorter
// text counts as 0 beyond its end. The result has the longer length and upper-case
// digits; nothing when either text holds a character that is not a hex digit.
boost::optional<std::string> bitwise_OR_for_hex_strings(boost::string_view left, boost::string_view right);

}  // namespace orx
