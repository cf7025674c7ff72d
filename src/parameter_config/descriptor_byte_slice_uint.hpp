#pragma once

#include "parameter_config/descriptor.hpp"

namespace orx::parameters {

// "BYTE_SLICE_UINT": bits args[0] (low) to args[1] (high) of a byte as a number.
class descriptor_byte_slice_uint : public descriptor {
public:
    static constexpr const char type_name[] = "BYTE_SLICE_UINT";

    using descriptor::descriptor;

    boost::optional<Json::Value> convert_bin_to_json(string_view hex) const override;
    boost::optional<std::string> convert_json_to_bin(const Json::Value& value) const override;
    string_view get_type_name() const override { return type_name; }
};

}  // namespace orx::parameters
