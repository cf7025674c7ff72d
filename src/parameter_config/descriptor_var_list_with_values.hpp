#pragma once

#include "parameter_config/descriptor.hpp"

namespace orx::parameters {

// "VAR_LIST_WITH_VALUES": a one-byte code shown as a word; every arg is "word=code"
// (split at the last "="; an arg without "=" is both the word and the code text).
class descriptor_var_list_with_values : public descriptor {
public:
    static constexpr const char type_name[] = "VAR_LIST_WITH_VALUES";

    using descriptor::descriptor;

    boost::optional<Json::Value> convert_bin_to_json(string_view hex) const override;
    boost::optional<std::string> convert_json_to_bin(const Json::Value& value) const override;
    string_view get_type_name() const override { return type_name; }
};

}  // namespace orx::parameters
