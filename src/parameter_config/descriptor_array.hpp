#pragma once

#include "parameter_config/descriptor.hpp"

namespace orx::parameters {

// "ARRAY": records of "size" bytes each; the value is a JSON array of records.
class descriptor_array : public descriptor {
public:
    static constexpr const char type_name[] = "ARRAY";

    using descriptor::descriptor;

    boost::optional<Json::Value> convert_bin_to_json(string_view hex) const override;
    boost::optional<std::string> convert_json_to_bin(const Json::Value& value) const override;
    string_view get_type_name() const override { return type_name; }
};

}  // namespace orx::parameters
