#include "common/tool_main.hpp"

#include <core/exception.hpp>

#include <exception>
#include <iostream>

namespace orx::tools {

int run_tool(const char* tool, int failure, const std::function<int()>& body) {
    try {
        return body();
    } catch (const tool_exit& exit) {
        return exit.status;
    } catch (const libs::core::exception& e) {
        std::cerr << tool << ": " << e.error() << '\n';
    } catch (const std::exception& e) {
        std::cerr << tool << ": " << e.what() << '\n';
    }
    return failure;
}

int read_options(int argc, char** argv, const char* short_options, const option* long_options, const char* usage,
                 int wrong_command_line, const std::function<bool(int option, const char* argument)>& take) {
    int option = 0;
    while ((option = ::getopt_long(argc, argv, short_options, long_options, nullptr)) != -1) {
        if (option == 'h') {
            std::cout << usage;
            throw tool_exit{0};
        }
        if (!take(option, optarg)) {
            std::cerr << usage;
            throw tool_exit{wrong_command_line};
        }
    }
    return optind;
}

}  // namespace orx::tools
