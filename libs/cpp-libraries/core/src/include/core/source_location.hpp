#pragma once

#include <boost/utility/string_view.hpp>
#include <cstdint>

namespace orx::libs::core {

// A place in the source: line, file and decorated function signature. The views
// refer to string literals, so a location may be kept for the life of the process.
class source_location {
public:
    source_location() = default;
    constexpr source_location(int64_t line, boost::string_view file, boost::string_view function)
        : m_line(line), m_file(file), m_function(function) {}

    int64_t line() const { return m_line; }
    boost::string_view file() const { return m_file; }
    boost::string_view function() const { return m_function; }

    // The path below the build's source root, e.g. "/src/config.cpp"; empty for a
    // path outside it.
    boost::string_view remove_directory_prefix(boost::string_view path) const;
    boost::string_view remove_directory_prefix() const { return remove_directory_prefix(m_file); }

    // The qualified name of the project's own function, e.g. "orx::converter::convert".
    boost::string_view short_function() const;

private:
    int64_t m_line = 0;
    boost::string_view m_file = "unknown file";
    boost::string_view m_function = "unknown function";
};

}  // namespace orx::libs::core

#define CORE_CURRENT_LOCATION ::orx::libs::core::source_location(__LINE__, __FILE__, __PRETTY_FUNCTION__)
