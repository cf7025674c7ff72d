#include "core/exception.hpp"

#include <sstream>

namespace orx::libs::core {

const char* located_exception::what() const noexcept {
    std::ostringstream stream;
    describe(stream);
    m_what = stream.str();
    return m_what.c_str();
}

std::ostream& located_exception::describe(std::ostream& stream) const {
    return stream << m_source_location.remove_directory_prefix() << ':' << m_source_location.line();
}

std::ostream& exception::describe(std::ostream& stream) const {
    return located_exception::describe(stream) << ' ' << m_str_error;
}

std::string exception_to_string(const located_exception& e) {
    std::ostringstream stream;
    e.describe(stream);
    return stream.str();
}

std::string exception_to_string() {
    try {
        throw;
    } catch (const located_exception& e) {
        return exception_to_string(e);
    } catch (const std::exception& e) {
        return std::string("std::exception::what(): ") + e.what();
    } catch (...) {
        return "Unknown exception";
    }
}

}  // namespace orx::libs::core
