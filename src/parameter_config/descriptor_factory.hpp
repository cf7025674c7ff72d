#pragma once

#include "parameter_config/descriptor.hpp"

namespace orx::parameters {

// Everything a format's constructor takes.
struct descriptor_arguments {
    boost::optional<uint32_t> num;
    boost::optional<uint32_t> offset;
    std::string name;
    std::string jname;
    boost::optional<uint32_t> size;
    bool readonly = false;
    boost::optional<zero_size_interpretation> zero_size;
};

// The descriptor of the class whose format text is `format`, built after the
// format's construction rule has passed (raising the core exception otherwise);
// nothing for an unknown text (exact, case-sensitive comparison).
boost::optional<descriptor::ptr> make_descriptor(boost::string_view format, descriptor_arguments arguments);

}  // namespace orx::parameters
