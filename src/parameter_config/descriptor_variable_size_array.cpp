#include "parameter_config/descriptor_variable_size_array.hpp"

#include "parameter_config/composite_fields.hpp"
#include "parameter_config/descriptor_str.hpp"

namespace orx::parameters {

namespace {

// Bytes of `text` up to and including the first 00 byte (at byte boundaries), and
// whether there was one; without one, every byte of the text (a last lone digit too).
struct terminated_text {
    std::size_t bytes;
    bool terminated;
};

terminated_text scan_for_nul(boost::string_view text) {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        ++bytes;
        if (i + 1 < text.size() && text[i] == '0' && text[i + 1] == '0')
            return {bytes, true};
    }
    return {bytes, false};
}

}  // namespace

boost::optional<Json::Value> descriptor_variable_size_array::convert_bin_to_json(string_view hex) const {
    // The size counts the terminating NUL, which the scan of the text counts too.
    const std::size_t fixed_bytes = *get_size() - 1;
    std::size_t extra_bytes = 0;
    const composite::unsized_field_length length = [&extra_bytes](const descriptor& field, string_view rest,
                                                                  Json::Value&) {
        if (!composite::is_variable_part(field, descriptor_str::type_name))
            return string_view::npos;
        const auto scanned = scan_for_nul(rest);
        extra_bytes = scanned.bytes;
        return scanned.terminated ? 2 * scanned.bytes : string_view::npos;
    };
    Json::Value result(Json::arrayValue);
    std::size_t position = 0;
    for (;;) {
        extra_bytes = 0;
        result.append(
            composite::read_record(*this, hex.substr(position), composite::offset_beyond_text::RAISE, length));
        const std::size_t stride = 2 * (fixed_bytes + extra_bytes);
        // A record that did not advance would be read again forever.
        if (stride == 0)
            break;
        position += stride;
        if (position >= hex.size())
            break;
    }
    return result;
}

boost::optional<std::string> descriptor_variable_size_array::convert_json_to_bin(const Json::Value& value) const {
    if (!value.isArray())
        return boost::none;
    std::string out;
    for (const auto& element : value) {
        if (composite::write_record(*this, element, out) != composite::write_outcome::COMPLETE)
            return boost::none;
        // The terminating NUL of the record's text.
        out += "00";
    }
    if (out.empty())
        out = "00";
    return out;
}

}  // namespace orx::parameters
