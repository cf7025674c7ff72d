#pragma once

// What every tool's main shares: the exit status its body chooses, one line on
// standard error for a failure, and the option loop.

#include <functional>

#include <getopt.h>

namespace orx::tools {

// Ends the tool with `status`, whatever it printed before.
struct tool_exit {
    int status;
};

// Runs the tool's body and returns its status. A tool_exit ends with its status;
// any other exception is printed as one line "<tool>: <reason>" and ends with
// `failure`.
int run_tool(const char* tool, int failure, const std::function<int()>& body);

// Hands each option of the command line to `take` (getopt_long over
// `short_options` and `long_options`, plain getopt without them); `take` returns
// false for one the tool does not know. "-h" prints `usage` on standard output
// and ends the tool with 0, an option not taken prints it on standard error and
// ends with `wrong_command_line`. Returns the index of the first operand.
int read_options(int argc, char** argv, const char* short_options, const option* long_options, const char* usage,
                 int wrong_command_line, const std::function<bool(int option, const char* argument)>& take);

}  // namespace orx::tools
