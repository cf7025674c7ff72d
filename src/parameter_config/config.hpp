#pragma once

#include "parameter_config/descriptor.hpp"

#include <core/logger.hpp>

#include <boost/optional.hpp>

#include <cstdint>
#include <functional>
#include <istream>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace orx::parameters {

// The registry of device parameters, loaded once from the parameter configuration
// file: lookups by parameter number (uplink) and by JSON name (downlink).
class config {
public:
    using const_parameter_callback = std::function<bool(const descriptor&)>;

    using ptr = std::unique_ptr<config>;

    // The largest parameter file read; real ones hold a few tens of KiB.
    static constexpr std::size_t max_file_size = 4 * 1024 * 1024;

    // Loads the whole file; raises the core exception on any failure.
    config(libs::core::logger& logger, std::istream& stream);

    // Loads the file at `path`, which must be a regular file of at most
    // max_file_size bytes; it is read without waiting on it.
    static ptr load_file(libs::core::logger& logger, const std::string& path);

    boost::optional<const descriptor&> get_descriptor(uint32_t num) const;
    boost::optional<const descriptor&> get_descriptor(const std::string& jname) const;

    // Visits every parameter in ascending number; stops at the first false.
    bool for_each_parameter(const const_parameter_callback& callback) const;

    // One line for each entry left out because its "format" is not known (a newer file
    // may name one this version lacks), naming its "num", "jname" and "format" as written.
    const std::vector<std::string>& skipped_entries() const { return m_skipped; }

    friend std::ostream& operator<<(std::ostream& stream, const config& registry);

private:
    libs::core::logger& m_logger;
    std::map<uint32_t, descriptor::ptr> m_parameters;
    std::map<std::string, uint32_t, std::less<>> m_parameter_names;
    std::vector<std::string> m_skipped;
};

}  // namespace orx::parameters
