#include "configuration_check.hpp"

#include "channel_security.hpp"
#include "config.hpp"
#include "endpoint_check.hpp"
#include "mqtt_check.hpp"
#include "parameter_config/config.hpp"

#include <config_parser/config.hpp>
#include <core/exception.hpp>

#include <boost/optional.hpp>

#include <sstream>

namespace orx {

namespace {

// The parameter file named by a configuration that was refused as a whole, if
// the document parses and names one.
boost::optional<std::string> named_parameter_file(const std::string& file_name) {
    try {
        std::istringstream stream(read_config_text(file_name));
        const auto document = libs::config::config::create<libs::config::type::json>(stream);
        const auto name = document->get_by_path<std::string>({"parameters", "config_file"});
        if (name.ok())
            return name.value();
    } catch (...) {
        // Already reported by the configuration's own load.
    }
    return boost::none;
}

}  // namespace

configuration_report check_configuration(const std::string& file_name, libs::core::logger& logger) {
    configuration_report report;
    auto& problems = report.problems;
    boost::optional<std::string> parameter_file_name;
    try {
        const auto configuration = load_config_file(file_name);
        parameter_file_name = configuration.parameters.config_file;
        problems = endpoint_problems(configuration);
        const auto in_use = endpoints_in_use(configuration);
        problems.insert(problems.end(), in_use.begin(), in_use.end());
        if (configuration.security) {
            const auto files = security_problems(*configuration.security);
            problems.insert(problems.end(), files.begin(), files.end());
        }
        if (configuration.mqtt) {
            const auto mqtt = mqtt_problems(*configuration.mqtt);
            problems.insert(problems.end(), mqtt.begin(), mqtt.end());
        }
    } catch (...) {
        problems.push_back(libs::core::exception_to_string());
        parameter_file_name = named_parameter_file(file_name);
    }
    if (parameter_file_name) {
        try {
            const auto parameters = parameters::config::load_file(logger, *parameter_file_name);
            for (const auto& entry : parameters->skipped_entries())
                report.warnings.push_back("parameter file " + *parameter_file_name + ": " + entry);
        } catch (...) {
            problems.push_back(libs::core::exception_to_string());
        }
    }
    return report;
}

}  // namespace orx
