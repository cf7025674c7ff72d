#pragma once

#include "parameter_config/descriptor.hpp"

namespace orx::parameters {

// "IPV4": four bytes in network order shown as a dotted quad; only exactly four
// decimal numbers 0 to 255 are written back.
class descriptor_ipv4 : public descriptor {
public:
    static const std::string type_name;

    descriptor_ipv4(boost::optional<uint32_t> num, boost::optional<uint32_t> offset, string_view name,
                    string_view jname, boost::optional<uint32_t> size, bool readonly,
                    boost::optional<zero_size_interpretation> zero_size);

    boost::optional<Json::Value> convert_bin_to_json(string_view hex) const override;
    boost::optional<std::string> convert_json_to_bin(const Json::Value& value) const override;
    string_view get_type_name() const override { return type_name; }
};

}  // namespace orx::parameters
