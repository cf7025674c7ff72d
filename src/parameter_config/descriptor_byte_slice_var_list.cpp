#include "parameter_config/descriptor_byte_slice_var_list.hpp"

#include "converter_utils.hpp"
#include "parameter_config/byte_slice.hpp"

#include <algorithm>

namespace orx::parameters {

namespace {

// Words start after the two bit-range args.
constexpr std::size_t first_word = 2;

}  // namespace

boost::optional<Json::Value> descriptor_byte_slice_var_list::convert_bin_to_json(string_view hex) const {
    const auto byte = parse_number<unsigned char>(hex).value();
    const auto range = read_byte_slice(get_args());
    if (!range)
        return boost::none;
    return Json::Value(get_args().at(first_word + range->extract(byte)));
}

boost::optional<std::string> descriptor_byte_slice_var_list::convert_json_to_bin(const Json::Value& value) const {
    const auto& args = get_args();
    if (!value.isString() || args.size() <= first_word)
        return boost::none;
    const auto words_begin = args.begin() + first_word;
    const auto found = std::find(words_begin, args.end(), value.asString());
    if (found == args.end())
        return boost::none;
    const auto range = read_byte_slice(args);
    if (!range)
        return boost::none;
    // A word whose code does not fit the bit range would be sent as another word's code.
    const auto code = static_cast<uint32_t>(found - words_begin);
    if (code >> (range->high - range->low + 1) != 0)
        return boost::none;
    return to_hex(range->place(code), 2);
}

}  // namespace orx::parameters
