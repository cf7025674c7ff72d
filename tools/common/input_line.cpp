#include "common/input_line.hpp"

namespace orx::tools {

boost::string_view trim_line(boost::string_view line) {
    constexpr boost::string_view blanks(" \t\r");
    const auto first = line.find_first_not_of(blanks);
    if (first == boost::string_view::npos)
        return {};
    const auto last = line.find_last_not_of(blanks);
    return line.substr(first, last - first + 1);
}

input_line read_input_line(boost::string_view line) {
    const auto text = trim_line(line);
    if (text.empty())
        return {input_line::EMPTY, text};
    return {text.front() == '{' ? input_line::REQUEST : input_line::FRAME, text};
}

}  // namespace orx::tools
