#pragma once

#include "parameter_config/descriptor.hpp"

#include <core/logger.hpp>

#include <boost/optional.hpp>

#include <cstdint>
#include <functional>
#include <istream>
#include <map>
#include <ostream>
#include <string>

namespace orx::parameters {

// The registry of device parameters, loaded once from the parameter configuration
// file: lookups by parameter number (uplink) and by JSON name (downlink).
class config {
public:
    using const_parameter_callback = std::function<bool(const descriptor&)>;

    // Loads the whole file; raises the core exception on any failure.
    config(libs::core::logger& logger, std::istream& stream);

    boost::optional<const descriptor&> get_descriptor(uint32_t num) const;
    boost::optional<const descriptor&> get_descriptor(const std::string& jname) const;

    // Visits every parameter in ascending number; stops at the first false.
    bool for_each_parameter(const const_parameter_callback& callback) const;

    friend std::ostream& operator<<(std::ostream& stream, const config& registry);

private:
    libs::core::logger& m_logger;
    std::map<uint32_t, descriptor::ptr> m_parameters;
    std::map<std::string, uint32_t, std::less<>> m_parameter_names;
};

}  // namespace orx::parameters
