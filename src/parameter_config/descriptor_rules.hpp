#pragma once

#include "parameter_config/descriptor_factory.hpp"

#include <cstdint>

namespace orx::parameters {

// A format's construction rule, applied to what the parameter file gives before the
// descriptor is built: it raises the core exception when the arguments break it, or
// sets the size of a format of fixed width.
using construction_rule = void (*)(descriptor_arguments& arguments);

// "size" must be present.
void require_size(descriptor_arguments& arguments);
// "size" must be present and 1, 2 or 4.
void require_integer_size(descriptor_arguments& arguments);
// "size" must be present and above 0.
void require_positive_size(descriptor_arguments& arguments);

// The size is `width`, whatever the file says.
template <uint32_t width>
void fixed_size(descriptor_arguments& arguments) {
    arguments.size = width;
}

}  // namespace orx::parameters
