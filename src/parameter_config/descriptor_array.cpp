#include "parameter_config/descriptor_array.hpp"

#include "parameter_config/composite_fields.hpp"

namespace orx::parameters {

boost::optional<Json::Value> descriptor_array::convert_bin_to_json(string_view hex) const {
    const std::size_t record_bytes = *get_size();
    Json::Value result(Json::arrayValue);
    // A record size of 0 would never advance: the whole text is then one record.
    const std::size_t record_length = record_bytes == 0 ? string_view::npos : 2 * record_bytes;
    std::size_t position = 0;
    do {
        result.append(
            composite::read_record(*this, hex.substr(position, record_length), composite::offset_beyond_text::RAISE));
        position += 2 * record_bytes;
    } while (record_bytes != 0 && position < hex.size());
    return result;
}

boost::optional<std::string> descriptor_array::convert_json_to_bin(const Json::Value& value) const {
    if (!value.isArray())
        return boost::none;
    std::string out;
    // One element that cannot be written spoils the whole value.
    for (const auto& element : value)
        if (composite::write_record(*this, element, out) != composite::write_outcome::COMPLETE)
            return boost::none;
    if (out.empty())
        out = "00";
    return out;
}

}  // namespace orx::parameters
