#pragma once

#include "parameter_config/descriptor.hpp"

namespace orx::parameters {

// "IPV6": sixteen bytes in network order shown as eight colon-separated groups of
// four hex digits; any text form of an IPv6 address ("::" shortening, embedded
// dotted quad) is written back as all sixteen bytes.
class descriptor_ipv6 : public descriptor {
public:
    static constexpr const char type_name[] = "IPV6";

    using descriptor::descriptor;

    boost::optional<Json::Value> convert_bin_to_json(string_view hex) const override;
    boost::optional<std::string> convert_json_to_bin(const Json::Value& value) const override;
    string_view get_type_name() const override { return type_name; }
};

}  // namespace orx::parameters
