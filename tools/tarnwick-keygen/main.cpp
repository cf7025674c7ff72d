// tarnwick-keygen: makes a CURVE key pair for the service's secure channels.

#include "common/tool_main.hpp"

#include <core/zmq/curve_keys.hpp>

#include <iostream>
#include <string>

namespace {

constexpr int exit_written = 0;
constexpr int exit_failed = 1;
constexpr int exit_wrong_command_line = 2;

constexpr const char* usage_text =
    "Usage: tarnwick-keygen NAME | -h\n"
    "\n"
    "Makes a new CURVE key pair and writes it as two ZeroMQ certificates:\n"
    "NAME.key holds the public key, to give to the peers that are to accept it;\n"
    "NAME.key_secret holds both keys and is created readable by its owner only.\n"
    "Existing files are never overwritten.\n"
    "\n"
    "Exit status: 0 both files written, 1 they could not be written, 2 wrong\n"
    "command line.\n";

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help")) {
        std::cout << usage_text;
        return exit_written;
    }
    if (argc != 2 || argv[1][0] == '\0' || argv[1][0] == '-') {
        std::cerr << usage_text;
        return exit_wrong_command_line;
    }
    return orx::tools::run_tool("tarnwick-keygen", exit_failed, [&] {
        namespace zmq = orx::libs::core::zmq;
        zmq::write_key_files(argv[1], zmq::generate_curve_key_pair());
        std::cout << "Wrote " << argv[1] << ".key and " << argv[1] << ".key_secret\n";
        return exit_written;
    });
}
