#pragma once

#include <string>

namespace orx::libs::core {

// What the service's command line asks for.
struct command_line {
    std::string config_file;  // -c file (the last one when repeated)
    bool check_only = false;  // -t: check the configuration and exit
    bool version = false;     // -v: print the version and exit
};

// Reads the options. Raises "Usage: ..." for an unknown option or a missing
// argument, and "The configuration file is not defined! Usage: ..." when there is
// no -c (unless only the version is asked for).
command_line parse_command_line(int argc, char** argv);

// The file named by "-c file" on the command line.
std::string get_config_file_name(int argc, char** argv);

}  // namespace orx::libs::core
