#pragma once

#include "parameter_config/descriptor.hpp"

namespace orx::parameters {

// "ARRAYVAR": records of "size" bytes plus a HEXVAR field without "size" whose byte
// length is the record's member "size".
class descriptor_arrayvar : public descriptor {
public:
    static const std::string type_name;

    descriptor_arrayvar(boost::optional<uint32_t> num, boost::optional<uint32_t> offset, string_view name,
                        string_view jname, boost::optional<uint32_t> size, bool readonly,
                        boost::optional<zero_size_interpretation> zero_size);

    boost::optional<Json::Value> convert_bin_to_json(string_view hex) const override;
    boost::optional<std::string> convert_json_to_bin(const Json::Value& value) const override;
    string_view get_type_name() const override { return type_name; }
};

}  // namespace orx::parameters
