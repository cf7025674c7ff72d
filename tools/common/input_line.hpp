#pragma once

#include <boost/utility/string_view.hpp>

namespace orx::tools {

// The line without surrounding blanks, tabs and carriage returns.
boost::string_view trim_line(boost::string_view line);

// One line of a capture or request log as the tools read it: without the blanks,
// tabs and carriage returns around it, a line beginning with "{" is a JSON request
// for "json"/"input", any other non-empty line a hex gateway frame for
// "binary"/"input". The text views the given line.
struct input_line {
    enum kind_type { EMPTY, REQUEST, FRAME };

    kind_type m_kind;
    boost::string_view m_text;
};
input_line read_input_line(boost::string_view line);

}  // namespace orx::tools
