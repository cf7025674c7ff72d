#include "parameter_config/descriptor_object.hpp"

#include "parameter_config/composite_fields.hpp"

namespace orx::parameters {

boost::optional<Json::Value> descriptor_object::convert_bin_to_json(string_view hex) const {
    return composite::read_record(*this, hex, composite::offset_beyond_text::END_WALK);
}

boost::optional<std::string> descriptor_object::convert_json_to_bin(const Json::Value& value) const {
    if (!value.isObject())
        return boost::none;
    std::string out;
    // A missing member ends the record and keeps what was placed before it.
    if (composite::write_record(*this, value, out) == composite::write_outcome::FAILED || out.empty())
        return boost::none;
    return out;
}

}  // namespace orx::parameters
