#pragma once

#include <boost/optional.hpp>
#include <boost/utility/string_view.hpp>

#include <cstdint>

namespace orx {

// The kinds of node of the locating system.
enum class node_type : int32_t {
    FIXED = 0,
    MOBILE = 1,
    CONF_PENDING = 2,
    BRIDGE = 3,
    TDOA_MOBILE = 4,
    ASSET = 5,
    _count = 6,
};

// The node type of a heartbeat's type code: only the low three bits count, codes
// 1 to 6 name FIXED to ASSET, 0 and 7 name none.
boost::optional<node_type> int_to_node_type(int code);

// The enumerator's name; raises "Unknown node_type" for any other value.
boost::string_view to_string(node_type type);

}  // namespace orx
