#include "core/source_location.hpp"

#include "core/constants.hpp"

namespace orx::libs::core {

boost::string_view source_location::remove_directory_prefix(boost::string_view path) const {
    // Paths outside the source root (a default location's "unknown file" among
    // them) have no project part.
    const boost::string_view root(constants::source_directory);
    if (!path.starts_with(root))
        return {};
    return path.substr(root.size());
}

boost::string_view source_location::short_function() const {
    const auto open = m_function.find('(');
    if (open == boost::string_view::npos || m_function.size() < 5)
        return m_function;
    // Search backwards from the parenthesis for the project's namespace.
    auto start = std::min(open, m_function.size() - 5);
    const auto found = m_function.rfind("orx::", start);
    if (found == boost::string_view::npos)
        return m_function;
    return m_function.substr(found, open - found);
}

}  // namespace orx::libs::core
