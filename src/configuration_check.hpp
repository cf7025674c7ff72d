#pragma once

#include <core/logger.hpp>

#include <string>
#include <vector>

namespace orx {

// Reads the service configuration file and the parameter file it names the way
// the service does at start-up, without starting anything. Returns every
// problem found, each as the service would log it, every endpoint that can
// never work and every ipc endpoint to bind that another process listens on;
// empty when both load and every endpoint may work.
// A configuration that is refused is still searched for the parameter file's
// name, so that problems of both files are reported together.
std::vector<std::string> check_configuration(const std::string& file_name, libs::core::logger& logger);

}  // namespace orx
