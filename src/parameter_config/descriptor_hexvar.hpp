#pragma once

#include "parameter_config/descriptor.hpp"

namespace orx::parameters {

// "HEXVAR": raw bytes of any length passed through as their hex text.
class descriptor_hexvar : public descriptor {
public:
    static constexpr const char type_name[] = "HEXVAR";

    using descriptor::descriptor;

    boost::optional<Json::Value> convert_bin_to_json(string_view hex) const override;
    boost::optional<std::string> convert_json_to_bin(const Json::Value& value) const override;
    string_view get_type_name() const override { return type_name; }
};

}  // namespace orx::parameters
