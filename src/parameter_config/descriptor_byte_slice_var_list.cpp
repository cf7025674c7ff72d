#include "parameter_config/descriptor_byte_slice_var_list.hpp"

#include "converter_utils.hpp"

#include <boost/lexical_cast.hpp>

#include <algorithm>

namespace orx::parameters {

const std::string descriptor_byte_slice_var_list::type_name = "BYTE_SLICE_VAR_LIST";

namespace {

// Bits low to high (0 is the least significant) of one byte.
struct bit_range {
    unsigned low;
    unsigned high;
};

// The range in args[0] and args[1]; a missing arg raises the bounds error, a text that
// is not a number boost::bad_lexical_cast. Nothing for a range that is not inside
// one byte or runs backwards.
boost::optional<bit_range> read_bit_range(const std::vector<std::string>& args) {
    const auto low = boost::lexical_cast<unsigned>(args.at(0));
    const auto high = boost::lexical_cast<unsigned>(args.at(1));
    if (low > high || high > 7)
        return boost::none;
    return bit_range{low, high};
}

unsigned extract(unsigned byte, bit_range range) {
    return ((byte << (7 - range.high)) & 0xFFu) >> (7 - range.high + range.low);
}

unsigned place(unsigned code, bit_range range) {
    return (((code & 0xFFu) << (7 - range.high + range.low)) & 0xFFu) >> (7 - range.high);
}

// Words start after the two bit-range args.
constexpr std::size_t first_word = 2;

}  // namespace

boost::optional<Json::Value> descriptor_byte_slice_var_list::convert_bin_to_json(string_view hex) const {
    const unsigned byte = parse_number<unsigned char>(hex).value();
    const auto range = read_bit_range(get_args());
    if (!range)
        return boost::none;
    return Json::Value(get_args().at(first_word + extract(byte, *range)));
}

boost::optional<std::string> descriptor_byte_slice_var_list::convert_json_to_bin(const Json::Value& value) const {
    const auto& args = get_args();
    if (!value.isString() || args.size() <= first_word)
        return boost::none;
    const auto words_begin = args.begin() + first_word;
    const auto found = std::find(words_begin, args.end(), value.asString());
    if (found == args.end())
        return boost::none;
    const auto range = read_bit_range(args);
    if (!range)
        return boost::none;
    return to_hex(place(static_cast<unsigned>(found - words_begin), *range), 2);
}

}  // namespace orx::parameters
