#include "parameter_config/descriptor_rules.hpp"

#include <core/exception.hpp>

#include <string>

namespace orx::parameters {

namespace {

std::string descriptor_text(const descriptor_arguments& arguments, const char* rest) {
    return "Descriptor " + arguments.jname + rest;
}

}  // namespace

void require_size(descriptor_arguments& arguments) {
    if (!arguments.size)
        throw libs::core::exception(descriptor_text(arguments, " must have a \"size\" field"), CORE_CURRENT_LOCATION);
}

void require_integer_size(descriptor_arguments& arguments) {
    require_size(arguments);
    const uint32_t size = *arguments.size;
    if (size != 1 && size != 2 && size != 4)
        throw libs::core::exception(descriptor_text(arguments, " size is incorrect"), CORE_CURRENT_LOCATION);
}

void require_positive_size(descriptor_arguments& arguments) {
    if (!arguments.size || *arguments.size == 0)
        throw libs::core::exception(descriptor_text(arguments, " must have a \"size\" field with value greater than 0"),
                                    CORE_CURRENT_LOCATION);
}

}  // namespace orx::parameters
