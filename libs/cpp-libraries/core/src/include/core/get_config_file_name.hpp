#pragma once

#include <string>

namespace orx::libs::core {

// The file named by "-c file" on the command line (the last one when repeated).
// Raises "Usage: ..." for an unknown option or a missing argument, and
// "The configuration file is not defined! Usage: ..." when there is no -c.
std::string get_config_file_name(int argc, char** argv);

}  // namespace orx::libs::core
