#include "common/line_converter.hpp"

#include <core/exception.hpp>
#include <core/json.hpp>

#include <boost/format.hpp>

namespace orx::tools {

line_converter::line_converter(libs::core::logger& logger, parameters::config& parameters, std::ostream& output)
    : m_output(output), m_converter(logger, *this, parameters) {}

boost::optional<std::string> line_converter::convert_line(const input_line& line) {
    try {
        if (line.m_kind == input_line::FRAME) {
            m_converter.convert(binary_message{line.m_text});
            return boost::none;
        }
        const auto parsed = libs::core::json::try_parse(line.m_text);
        if (!parsed.ok)
            return (boost::format("json: '%1%', parse error: '%2%'") % line.m_text % parsed.error).str();
        m_converter.convert(parsed.result);
        return boost::none;
    } catch (...) {
        return libs::core::exception_to_string();
    }
}

std::size_t line_converter::convert_lines(std::istream& input, std::ostream& errors) {
    std::size_t failures = 0;
    std::size_t number = 0;
    std::string line;
    while (std::getline(input, line)) {
        ++number;
        const auto read = read_input_line(line);
        if (read.m_kind == input_line::EMPTY)
            continue;
        const auto failure = convert_line(read);
        if (!failure)
            continue;
        ++failures;
        // Whatever the line wrote before it failed comes first, also when both
        // streams end up in the same file.
        m_output.flush();
        errors << "line " << number << ": " << *failure << '\n';
    }
    m_output.flush();
    return failures;
}

void line_converter::on_message(const binary_message& message) {
    m_text.assign(message.m_hex.data(), message.m_hex.size());
    m_text += '\n';
    m_output << m_text;
}

void line_converter::on_message(boost::string_view topic, const Json::Value& document) {
    m_text.assign(1, '~');
    m_text.append(topic.data(), topic.size());
    m_text += ' ';
    libs::core::json::append_to_string(document, m_text);
    m_text += '\n';
    m_output << m_text;
}

}  // namespace orx::tools
