#include "common/option_number.hpp"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace orx::tools {

namespace {

// Whole bounds without an exponent, so that the message reads as the user would type them.
std::string number_text(double value) {
    char text[32];
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        std::snprintf(text, sizeof text, "%.0f", value);
    else
        std::snprintf(text, sizeof text, "%g", value);
    return text;
}

[[noreturn]] void refuse(const std::string& option, const char* text, const std::string& range) {
    throw option_error("option " + option + " takes " + range + ", not '" + text + "'");
}

// strto* skip leading blanks and stop at the first character they do not take: both are
// refused here, as is a number too large for the type (ERANGE).
template <typename Number, typename Convert>
bool read_whole_text(const char* text, Number& value, Convert convert) {
    if (*text == '\0' || std::isspace(static_cast<unsigned char>(*text)))
        return false;
    char* end = nullptr;
    errno = 0;
    value = convert(text, &end);
    return *end == '\0' && errno != ERANGE;
}

}  // namespace

long long whole_option(const std::string& option, const char* text, long long minimum, long long maximum) {
    long long value = 0;
    if (!read_whole_text(text, value, [](const char* t, char** end) { return std::strtoll(t, end, 10); }) ||
        value < minimum || value > maximum)
        refuse(option, text, "a whole number from " + std::to_string(minimum) + " to " + std::to_string(maximum));
    return value;
}

double real_option(const std::string& option, const char* text, double minimum, double maximum) {
    double value = 0;
    if (!read_whole_text(text, value, [](const char* t, char** end) { return std::strtod(t, end); }) ||
        !(value >= minimum && value <= maximum))
        refuse(option, text, "a number from " + number_text(minimum) + " to " + number_text(maximum));
    return value;
}

}  // namespace orx::tools
