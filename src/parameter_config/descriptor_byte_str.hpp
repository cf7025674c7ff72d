#pragma once

#include "parameter_config/descriptor.hpp"

namespace orx::parameters {

// "BYTE_STR": a byte shown as args[1] when any bit of the hex mask args[0] is set,
// as args[2] otherwise.
class descriptor_byte_str : public descriptor {
public:
    static constexpr const char type_name[] = "BYTE_STR";

    using descriptor::descriptor;

    boost::optional<Json::Value> convert_bin_to_json(string_view hex) const override;
    boost::optional<std::string> convert_json_to_bin(const Json::Value& value) const override;
    string_view get_type_name() const override { return type_name; }
};

}  // namespace orx::parameters
