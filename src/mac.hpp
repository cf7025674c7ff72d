#pragma once

#include <boost/utility/string_view.hpp>

#include <string>

namespace orx {

// Node addresses travel as 16-character EUI-64 texts in frames and as 12-character
// MAC texts in JSON documents and requests: the MAC text is the EUI-64 text without
// its two middle bytes (characters 6 to 9).

// The first 6 characters and then those from position 10 up to 16, unchanged.
// Raises std::out_of_range ("string_view::substr") for a view shorter than 10.
std::string shrink_mac(boost::string_view eui64);

// The first 6 characters, "FFFE", then the characters from position 6 up to 12,
// upper-cased. The inverse of shrink_mac for addresses whose middle bytes are FF FE.
std::string extend_mac(boost::string_view mac);

// Whether the text is a MAC text a downlink frame can carry: exactly 12 hex digits.
bool is_mac_text(boost::string_view mac);

}  // namespace orx
