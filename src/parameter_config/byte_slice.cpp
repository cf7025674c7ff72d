#include "parameter_config/byte_slice.hpp"

#include <boost/lexical_cast.hpp>

namespace orx::parameters {

uint32_t decimal_arg(const std::vector<std::string>& args, std::size_t index) {
    return boost::lexical_cast<uint32_t>(args.at(index));
}

uint32_t byte_slice::extract(unsigned char byte) const {
    // Drop the bits above `high`, then those below `low`.
    return ((static_cast<uint32_t>(byte) << (7 - high)) & 0xFFu) >> (7 - high + low);
}

unsigned char byte_slice::place(uint32_t value) const {
    // Keep the bits of the value that fit the range, then move them down to `low`.
    return static_cast<unsigned char>((((value & 0xFFu) << (7 - high + low)) & 0xFFu) >> (7 - high));
}

boost::optional<byte_slice> read_byte_slice(const std::vector<std::string>& args) {
    const uint32_t low = decimal_arg(args, 0);
    const uint32_t high = decimal_arg(args, 1);
    if (low > high || high > 7)
        return boost::none;
    return byte_slice{low, high};
}

}  // namespace orx::parameters
