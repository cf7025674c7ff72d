#pragma once

#include "parameter_config/descriptor.hpp"

namespace orx::parameters {

// "HEXSTRING": raw bytes passed through as their hex text. The file must give a
// size, which the conversions do not apply.
class descriptor_hexstring : public descriptor {
public:
    static constexpr const char type_name[] = "HEXSTRING";

    using descriptor::descriptor;

    boost::optional<Json::Value> convert_bin_to_json(string_view hex) const override;
    boost::optional<std::string> convert_json_to_bin(const Json::Value& value) const override;
    string_view get_type_name() const override { return type_name; }
};

}  // namespace orx::parameters
