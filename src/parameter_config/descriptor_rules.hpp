#pragma once

#include <core/source_location.hpp>

#include <boost/optional.hpp>
#include <boost/utility/string_view.hpp>

#include <cstdint>

namespace orx::parameters {

// Construction rules shared by several formats; each raises the core exception
// with the given location (the constructor of the format's class).

// "size" must be present.
void require_size(boost::string_view jname, const boost::optional<uint32_t>& size,
                  const libs::core::source_location& location);
// "size" must be present and 1, 2 or 4.
void require_integer_size(boost::string_view jname, const boost::optional<uint32_t>& size,
                          const libs::core::source_location& location);
// "size" must be present and above 0.
void require_positive_size(boost::string_view jname, const boost::optional<uint32_t>& size,
                           const libs::core::source_location& location);

}  // namespace orx::parameters
