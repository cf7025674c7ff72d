#include "parameter_config/descriptor_arrayvar.hpp"

#include "parameter_config/composite_fields.hpp"
#include "parameter_config/descriptor_hexvar.hpp"

namespace orx::parameters {

namespace {

constexpr const char size_member[] = "size";

}  // namespace

boost::optional<Json::Value> descriptor_arrayvar::convert_bin_to_json(string_view hex) const {
    const std::size_t fixed_bytes = *get_size();
    // Byte length of the last HEXVAR field read; it carries over to later records.
    std::size_t extra_bytes = 0;
    const composite::unsized_field_length length = [&extra_bytes](const descriptor& field, string_view,
                                                                  Json::Value& record) {
        if (!composite::is_variable_part(field, descriptor_hexvar::type_name))
            return string_view::npos;
        // A record without "size" gets a null member of that name, which reads as 0.
        extra_bytes = record[size_member].asUInt();
        return 2 * extra_bytes;
    };
    Json::Value result(Json::arrayValue);
    std::size_t position = 0;
    do {
        result.append(
            composite::read_record(*this, hex.substr(position), composite::offset_beyond_text::RAISE, length));
        position += 2 * (fixed_bytes + extra_bytes);
    } while (position < hex.size());
    return result;
}

boost::optional<std::string> descriptor_arrayvar::convert_json_to_bin(const Json::Value& value) const {
    if (!value.isArray())
        return boost::none;
    const Json::Value* element = nullptr;
    // The record's "size" member (0 when absent) must be the byte length of its HEXVAR
    // text, or the device would cut the records wrongly.
    const composite::field_text_check size_matches = [&element](const descriptor& field, string_view text) {
        if (!composite::is_variable_part(field, descriptor_hexvar::type_name))
            return true;
        const Json::Value* size = element->find(size_member, size_member + sizeof size_member - 1);
        if (!size)
            return text.empty();
        return size->isUInt() && text.size() == 2 * static_cast<std::size_t>(size->asUInt());
    };
    std::string out;
    for (const auto& each : value) {
        element = &each;
        if (composite::write_record(*this, each, out, size_matches) != composite::write_outcome::COMPLETE)
            return boost::none;
    }
    if (out.empty())
        out = "00";
    return out;
}

}  // namespace orx::parameters
