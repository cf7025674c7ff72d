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
#include "parameter_config/descriptor_shift.hpp"
#include "parameter_config/descriptor_str.hpp"
#include "parameter_config/descriptor_uint.hpp"
#include "parameter_config/descriptor_var_list.hpp"
#include "parameter_config/descriptor_var_list_with_values.hpp"
#include "parameter_config/descriptor_variable_size_array.hpp"

#include <utility>

namespace orx::parameters {

namespace {

template <typename T>
descriptor::ptr make(const descriptor_arguments& a) {
    return std::make_unique<T>(a.num, a.offset, a.name, a.jname, a.size, a.readonly, a.zero_size);
}

using maker = descriptor::ptr (*)(const descriptor_arguments&);

// Format texts and their classes, in the order they are tried.
const std::pair<const char*, maker> formats[] = {
    {"UINT", &make<descriptor_uint>},
    {"INT", &make<descriptor_int>},
    {"HEXSTRING", &make<descriptor_hexstring>},
    {"STR", &make<descriptor_str>},
    {"HEXVAR", &make<descriptor_hexvar>},
    {"ARRAY", &make<descriptor_array>},
    {"ARRAYVAR", &make<descriptor_arrayvar>},
    {"VARIABLE_SIZE_ARRAY", &make<descriptor_variable_size_array>},
    {"OBJECT", &make<descriptor_object>},
    {"IPV4", &make<descriptor_ipv4>},
    {"IPV6", &make<descriptor_ipv6>},
    {"BYTE_STR", &make<descriptor_byte_str>},
    {"BYTE_BOOL", &make<descriptor_byte_bool>},
    {"BYTE_UINT", &make<descriptor_byte_uint>},
    {"BYTE_SLICE_UINT", &make<descriptor_byte_slice_uint>},
    {"BYTE_SLICE_VAR_LIST", &make<descriptor_byte_slice_var_list>},
    {"SHIFT", &make<descriptor_shift>},
    {"MUL_UINT", &make<descriptor_mul_uint>},
    {"VAR_LIST", &make<descriptor_var_list>},
    {"VAR_LIST_WITH_VALUES", &make<descriptor_var_list_with_values>},
};

}  // namespace

boost::optional<descriptor::ptr> make_descriptor(boost::string_view format, const descriptor_arguments& arguments) {
    for (const auto& entry : formats)
        if (format == entry.first)
            return entry.second(arguments);
    return boost::none;
}

}  // namespace orx::parameters
