#include "parameter_config/descriptor_var_list.hpp"

#include "converter_utils.hpp"

#include <algorithm>

namespace orx::parameters {

namespace {

// A one-byte code addresses at most this many words.
constexpr std::size_t max_words = 256;

}  // namespace

boost::optional<Json::Value> descriptor_var_list::convert_bin_to_json(string_view hex) const {
    // Unreadable hex raises the optional-access error, a code with no word the bounds error.
    return Json::Value(get_args().at(parse_number<unsigned char>(hex).value()));
}

boost::optional<std::string> descriptor_var_list::convert_json_to_bin(const Json::Value& value) const {
    const auto& args = get_args();
    if (!value.isString() || args.empty())
        return boost::none;
    const auto words_end = args.begin() + static_cast<std::ptrdiff_t>(std::min(args.size(), max_words));
    const auto found = std::find(args.begin(), words_end, value.asString());
    if (found == words_end)
        return boost::none;
    return to_hex(static_cast<uint64_t>(found - args.begin()), 2);
}

}  // namespace orx::parameters
