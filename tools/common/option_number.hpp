#pragma once

#include <stdexcept>
#include <string>

namespace orx::tools {

// A command line the tool cannot run with; what() is the one line to print after the
// tool's name.
class option_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The value of a numeric option: the whole of `text` read as a decimal number within
// [minimum, maximum]. Anything else (no digits, blanks or other text around them, a
// value out of range) raises option_error naming `option`, the range and the text.
long long whole_option(const std::string& option, const char* text, long long minimum, long long maximum);
double real_option(const std::string& option, const char* text, double minimum, double maximum);

}  // namespace orx::tools
