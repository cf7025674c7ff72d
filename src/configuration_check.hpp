#pragma once

#include <core/logger.hpp>

#include <string>
#include <vector>

namespace orx {

struct configuration_report {
    // What would stop a start: empty when both files load and every endpoint may work.
    std::vector<std::string> problems;
    // What the start would warn of: parameter entries it would leave out.
    std::vector<std::string> warnings;
};

// Reads the service configuration file and the parameter file it names the way
// the service does at start-up, without starting anything. Reports every
// problem found, each as the service would log it, every endpoint that can
// never work and every ipc endpoint to bind that another process listens on.
// A configuration that is refused is still searched for the parameter file's
// name, so that problems of both files are reported together.
configuration_report check_configuration(const std::string& file_name, libs::core::logger& logger);

}  // namespace orx
