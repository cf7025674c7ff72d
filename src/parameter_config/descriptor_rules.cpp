#include "parameter_config/descriptor_rules.hpp"

#include <core/exception.hpp>

#include <string>

namespace orx::parameters {

namespace {

std::string descriptor_text(boost::string_view jname, const char* rest) {
    return "Descriptor " + std::string(jname) + rest;
}

}  // namespace

void require_size(boost::string_view jname, const boost::optional<uint32_t>& size,
                  const libs::core::source_location& location) {
    if (!size)
        throw libs::core::exception(descriptor_text(jname, " must have a \"size\" field"), location);
}

void require_integer_size(boost::string_view jname, const boost::optional<uint32_t>& size,
                          const libs::core::source_location& location) {
    require_size(jname, size, location);
    if (*size != 1 && *size != 2 && *size != 4)
        throw libs::core::exception(descriptor_text(jname, " size is incorrect"), location);
}

void require_positive_size(boost::string_view jname, const boost::optional<uint32_t>& size,
                           const libs::core::source_location& location) {
    if (!size || *size == 0)
        throw libs::core::exception(
            descriptor_text(jname, " must have a \"size\" field with value greater than 0"), location);
}

}  // namespace orx::parameters
