#include "parameter_config/bitwise_or_for_hex_strings.hpp"

#include "converter_utils.hpp"

#include <algorithm>

namespace orx {

boost::optional<std::string> bitwise_OR_for_hex_strings(boost::string_view left, boost::string_view right) {
    const std::size_t length = std::max(left.size(), right.size());
    std::string result(length, '0');
    for (std::size_t i = 0; i < length; ++i) {
        const int l = i < left.size() ? detail::hex_value(left[i]) : 0;
        const int r = i < right.size() ? detail::hex_value(right[i]) : 0;
        if (l < 0 || r < 0)
            return boost::none;
        result[i] = detail::upper_hex_digits[l | r];
    }
    return result;
}

}  // namespace orx
