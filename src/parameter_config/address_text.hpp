#pragma once

#include <boost/optional.hpp>

#include <string>

namespace orx::parameters {

// The upper-case hex text of the address that inet_pton reads from `text` for the
// address family `family` (AF_INET or AF_INET6); nothing when it reads none.
boost::optional<std::string> address_to_hex(int family, const std::string& text);

}  // namespace orx::parameters
