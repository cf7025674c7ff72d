#include "parameter_config/descriptor_var_list_with_values.hpp"

#include "converter_utils.hpp"

#include <algorithm>
#include <sstream>

namespace orx::parameters {

namespace {

// The code text read as by stream extraction of an unsigned 32-bit number: blanks
// skipped, reading stops at the first non-digit, no number gives 0. Plain short
// digit strings, the usual case, skip the stream.
uint32_t read_code(boost::string_view text) {
    if (!text.empty() && text.size() <= 9 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        uint32_t code = 0;
        for (char c : text)
            code = code * 10 + static_cast<uint32_t>(c - '0');
        return code;
    }
    std::istringstream stream(std::string(text.data(), text.size()));
    uint32_t code = 0;
    stream >> code;
    return code;
}

struct word_and_code {
    boost::string_view word;
    uint32_t code;
};

// Splits "word=code" at the last "="; without "=", the whole arg is both.
word_and_code split(const std::string& arg) {
    const boost::string_view text(arg);
    const auto equals = text.rfind('=');
    if (equals == boost::string_view::npos)
        return {text, read_code(text)};
    return {text.substr(0, equals), read_code(text.substr(equals + 1))};
}

}  // namespace

boost::optional<Json::Value> descriptor_var_list_with_values::convert_bin_to_json(string_view hex) const {
    const uint32_t byte = parse_number<unsigned char>(hex).value();
    for (const auto& arg : get_args()) {
        const auto entry = split(arg);
        if (entry.code == byte)
            return Json::Value(std::string(entry.word.data(), entry.word.size()));
    }
    return boost::none;
}

boost::optional<std::string> descriptor_var_list_with_values::convert_json_to_bin(const Json::Value& value) const {
    if (!value.isString())
        return boost::none;
    const std::string word = value.asString();
    for (const auto& arg : get_args()) {
        const auto entry = split(arg);
        if (entry.word == word)
            return to_hex(entry.code & 0xFFu, 2);
    }
    return boost::none;
}

}  // namespace orx::parameters
