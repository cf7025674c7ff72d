#include "core/get_config_file_name.hpp"

#include "core/exception.hpp"

#include <unistd.h>

namespace orx::libs::core {

std::string get_config_file_name(int argc, char** argv) {
    const std::string usage = std::string(argc > 0 && argv[0] ? argv[0] : "") + " -c config_file";
    std::string file_name;
    optind = 0;  // a full rescan, whatever scanned this argv before
    opterr = 0;
    int option = 0;
    while ((option = ::getopt(argc, argv, "c:")) != -1) {
        if (option == 'c')
            file_name = optarg;
        else
            throw exception("Usage: " + usage, CORE_CURRENT_LOCATION);
    }
    if (file_name.empty())
        throw exception("The configuration file is not defined! Usage: " + usage, CORE_CURRENT_LOCATION);
    return file_name;
}

}  // namespace orx::libs::core
