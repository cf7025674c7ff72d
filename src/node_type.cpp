#include "node_type.hpp"

#include <core/exception.hpp>

namespace orx {

namespace {

constexpr const char* node_type_names[] = {"FIXED", "MOBILE", "CONF_PENDING", "BRIDGE", "TDOA_MOBILE", "ASSET"};
static_assert(sizeof(node_type_names) / sizeof(node_type_names[0]) == static_cast<std::size_t>(node_type::_count),
              "one name per node type");

}  // namespace

boost::optional<node_type> int_to_node_type(int code) {
    const int low_bits = code & 7;
    if (low_bits == 0 || low_bits == 7)
        return boost::none;
    return static_cast<node_type>(low_bits - 1);
}

boost::string_view to_string(node_type type) {
    const auto index = static_cast<int32_t>(type);
    if (index < 0 || index >= static_cast<int32_t>(node_type::_count))
        throw libs::core::exception("Unknown node_type", CORE_CURRENT_LOCATION);
    return node_type_names[index];
}

}  // namespace orx
