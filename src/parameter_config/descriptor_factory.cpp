#include "parameter_config/descriptor_factory.hpp"

#include "parameter_config/descriptor_array.hpp"
#include "parameter_config/descriptor_arrayvar.hpp"
#include "parameter_config/descriptor_byte_bool.hpp"
#include "parameter_config/descriptor_byte_slice_uint.hpp"
#include "parameter_config/descriptor_byte_slice_var_list.hpp"
#include "parameter_config/descriptor_byte_str.hpp"
#include "parameter_config/descriptor_byte_uint.hpp"
#include "parameter_config/descriptor_hexstring.hpp"
#include "parameter_config/descriptor_hexvar.hpp"
#include "parameter_config/descriptor_int.hpp"
#include "parameter_config/descriptor_ipv4.hpp"
#include "parameter_config/descriptor_ipv6.hpp"
#include "parameter_config/descriptor_mul_uint.hpp"
#include "parameter_config/descriptor_object.hpp"
#include "parameter_config/descriptor_rules.hpp"
#include "parameter_config/descriptor_shift.hpp"
#include "parameter_config/descriptor_str.hpp"
#include "parameter_config/descriptor_uint.hpp"
#include "parameter_config/descriptor_var_list.hpp"
#include "parameter_config/descriptor_var_list_with_values.hpp"
#include "parameter_config/descriptor_variable_size_array.hpp"

namespace orx::parameters {

namespace {

template <typename T>
descriptor::ptr make(const descriptor_arguments& a) {
    return std::make_unique<T>(a.num, a.offset, a.name, a.jname, a.size, a.readonly, a.zero_size);
}

// One format: its text (held by its class), how to build it and its construction
// rule, if it has one.
struct format {
    const char* name;
    descriptor::ptr (*make)(const descriptor_arguments&);
    construction_rule rule;
};

template <typename T>
constexpr format of(construction_rule rule = nullptr) {
    return {T::type_name, &make<T>, rule};
}

// The formats, in the order they are tried.
constexpr format formats[] = {
    of<descriptor_uint>(&require_integer_size),
    of<descriptor_int>(&require_integer_size),
    of<descriptor_hexstring>(&require_size),
    of<descriptor_str>(),
    of<descriptor_hexvar>(),
    of<descriptor_array>(&require_size),
    of<descriptor_arrayvar>(&require_positive_size),
    of<descriptor_variable_size_array>(&require_positive_size),
    of<descriptor_object>(),
    of<descriptor_ipv4>(&fixed_size<4>),
    of<descriptor_ipv6>(&fixed_size<16>),
    of<descriptor_byte_str>(),
    of<descriptor_byte_bool>(),
    of<descriptor_byte_uint>(),
    of<descriptor_byte_slice_uint>(),
    of<descriptor_byte_slice_var_list>(),
    of<descriptor_shift>(),
    of<descriptor_mul_uint>(),
    of<descriptor_var_list>(),
    of<descriptor_var_list_with_values>(),
};

}  // namespace

boost::optional<descriptor::ptr> make_descriptor(boost::string_view format, descriptor_arguments arguments) {
    for (const auto& entry : formats) {
        if (format != entry.name)
            continue;
        if (entry.rule)
            entry.rule(arguments);
        return entry.make(arguments);
    }
    return boost::none;
}

}  // namespace orx::parameters
