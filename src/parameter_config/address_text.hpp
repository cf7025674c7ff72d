#pragma once

#include <json/value.h>

#include <boost/optional.hpp>

#include <string>

namespace orx::parameters {

// The upper-case hex text, in network order, of the address that inet_pton reads from
// the JSON string `value` for `family` (AF_INET or AF_INET6); nothing for any other
// value, never an exception.
boost::optional<std::string> address_to_hex(int family, const Json::Value& value);

}  // namespace orx::parameters
