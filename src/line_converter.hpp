#pragma once

#include "binary_message.hpp"
#include "converter.hpp"
#include "parameter_config/config.hpp"
#include "processed_messages_handler.hpp"

#include <core/logger.hpp>

#include <json/value.h>

#include <boost/optional.hpp>
#include <boost/utility/string_view.hpp>

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>

namespace orx {

// Converts text lines offline exactly as the service converts what reaches its
// inputs: a line beginning with "{" is a JSON request, any other line a hex
// gateway message. Results are written as the service publishes them: each uplink
// document as "~<topic> <compact JSON>", each downlink message as its hex text,
// one per line. One converter serves all lines, so the downlink sequence number
// runs on from line to line.
class line_converter final : public processed_messages_handler {
public:
    line_converter(libs::core::logger& logger, parameters::config& parameters, std::ostream& output);

    // Converts one line, already trimmed. Gives the failure's description when the
    // conversion raised or the JSON did not parse; what was written before stays.
    boost::optional<std::string> convert_line(boost::string_view line);

    // Converts every line of `input`. Blanks and a CR around a line are dropped,
    // empty lines skipped; each failure goes to `errors` as "line N: <description>",
    // N counting every line from 1. Returns the number of failed lines.
    std::size_t convert_lines(std::istream& input, std::ostream& errors);

    void on_message(const binary_message& message) override;
    void on_message(boost::string_view topic, const Json::Value& document) override;

private:
    std::ostream& m_output;
    std::string m_text;
    converter m_converter;
};

// The line without surrounding blanks, tabs and carriage returns.
boost::string_view trim_line(boost::string_view line);

}  // namespace orx
