#pragma once

#include "parameter_config/descriptor.hpp"

namespace orx::parameters {

// "IPV4": four bytes in network order shown as a dotted quad; only exactly four
// decimal numbers 0 to 255 are written back.
class descriptor_ipv4 : public descriptor {
public:
    static constexpr const char type_name[] = "IPV4";

    using descriptor::descriptor;

    boost::optional<Json::Value> convert_bin_to_json(string_view hex) const override;
    boost::optional<std::string> convert_json_to_bin(const Json::Value& value) const override;
    string_view get_type_name() const override { return type_name; }
};

}  // namespace orx::parameters
