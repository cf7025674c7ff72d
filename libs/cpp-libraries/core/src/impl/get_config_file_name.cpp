#include "core/get_config_file_name.hpp"

#include "core/exception.hpp"

#include <unistd.h>

namespace orx::libs::core {

command_line parse_command_line(int argc, char** argv) {
    const std::string usage = std::string(argc > 0 && argv[0] ? argv[0] : "") +
                              " -c config_file [-t] [-v]\n"
                              "  -c config_file  the service configuration\n"
                              "  -t              check the configuration and the parameter file, then exit\n"
                              "  -v              print the version and exit";
    command_line result;
    optind = 0;  // a full rescan, whatever scanned this argv before
    opterr = 0;
    int option = 0;
    while ((option = ::getopt(argc, argv, "c:tv")) != -1) {
        switch (option) {
        case 'c': result.config_file = optarg; break;
        case 't': result.check_only = true; break;
        case 'v': result.version = true; break;
        default: throw exception("Usage: " + usage, CORE_CURRENT_LOCATION);
        }
    }
    if (result.config_file.empty() && !result.version)
        throw exception("The configuration file is not defined! Usage: " + usage, CORE_CURRENT_LOCATION);
    return result;
}

std::string get_config_file_name(int argc, char** argv) { return parse_command_line(argc, argv).config_file; }

}  // namespace orx::libs::core
