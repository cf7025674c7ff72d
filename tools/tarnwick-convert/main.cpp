// tarnwick-convert: replays gateway captures and back-end request logs offline
// through the service's own converter and prints what the service would publish.

#include "common/line_converter.hpp"
#include "common/tool_main.hpp"
#include "parameter_config/config.hpp"

#include <core/exception.hpp>
#include <core/logger.hpp>

#include <iostream>
#include <memory>
#include <sstream>
#include <string>

namespace {

constexpr int exit_converted = 0;
constexpr int exit_line_failed = 1;
constexpr int exit_unusable = 2;

constexpr const char* usage_text =
    "Usage: tarnwick-convert [-p parameter_config_file] [-d] [-h]\n"
    "\n"
    "Replays gateway captures and back-end request logs offline, through the same\n"
    "conversions as the tarnwick service. Reads standard input line by line: a line\n"
    "beginning with \"{\" is a JSON request to a node, any other line one hex gateway\n"
    "message; blanks around a line and empty lines are ignored. Writes to standard\n"
    "output exactly what the service would publish, one line each: \"~<topic> <JSON>\"\n"
    "for every uplink document, the hex text for every downlink message. A line that\n"
    "fails is reported on standard error as \"line N: <reason>\" and the rest goes on.\n"
    "\n"
    "  -p file  the parameter configuration (without it no parameter is known)\n"
    "  -d       local debug mode: log lines also go to standard error\n"
    "  -h       print this text and exit\n"
    "\n"
    "Exit status: 0 every line converted, 1 some line failed, 2 wrong command line\n"
    "or a parameter configuration that cannot be loaded.\n";

int wrong_command_line(const std::string& reason) {
    std::cerr << "tarnwick-convert: " << reason << "\n\n" << usage_text;
    return exit_unusable;
}

int convert(int argc, char* argv[]) {
    std::string parameter_file;
    bool debug = false;

    opterr = 0;
    const int operand = orx::tools::read_options(
        argc, argv, ":p:dh", nullptr, usage_text, exit_unusable, [&](int option, const char* argument) {
            switch (option) {
            case 'p': parameter_file = argument; return true;
            case 'd': debug = true; return true;
            case ':':
                throw orx::tools::tool_exit{
                    wrong_command_line(std::string("option -") + static_cast<char>(optopt) + " needs an argument")};
            default:
                throw orx::tools::tool_exit{
                    wrong_command_line(std::string("unknown option -") + static_cast<char>(optopt))};
            }
        });
    if (operand < argc)
        return wrong_command_line(std::string("unexpected argument '") + argv[operand] + "'");

    std::ios::sync_with_stdio(false);
    orx::libs::core::logger logger("tarnwick-convert", "main");
    logger.set_debug(debug);

    std::unique_ptr<orx::parameters::config> parameters;
    try {
        if (parameter_file.empty()) {
            std::istringstream empty("{}");
            parameters = std::make_unique<orx::parameters::config>(logger, empty);
        } else {
            parameters = orx::parameters::config::load_file(logger, parameter_file);
        }
    } catch (...) {
        std::cerr << "tarnwick-convert: parameter configuration '" << parameter_file
                  << "': " << orx::libs::core::exception_to_string() << '\n';
        return exit_unusable;
    }

    orx::tools::line_converter converter(logger, *parameters, std::cout);
    const auto failures = converter.convert_lines(std::cin, std::cerr);
    return failures == 0 ? exit_converted : exit_line_failed;
}

}  // namespace

int main(int argc, char* argv[]) {
    return orx::tools::run_tool("tarnwick-convert", exit_unusable, [&] { return convert(argc, argv); });
}
