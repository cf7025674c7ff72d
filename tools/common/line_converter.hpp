#pragma once

#include "binary_message.hpp"
#include "common/input_line.hpp"
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

namespace orx::tools {

// Converts text lines offline exactly as the service converts what reaches its
// inputs, each line read as read_input_line reads it. Results are written as the
// service publishes them: each uplink document as "~<topic> <compact JSON>", each
// downlink message as its hex text, one per line. One converter serves all lines,
// so the downlink sequence number runs on from line to line.
class line_converter final : public processed_messages_handler {
public:
    line_converter(libs::core::logger& logger, parameters::config& parameters, std::ostream& output);

    // Converts every line of `input`, empty lines skipped; each failure goes to
    // `errors` as "line N: <description>", N counting every line from 1. What a line
    // wrote before it failed stays. Returns the number of failed lines.
    std::size_t convert_lines(std::istream& input, std::ostream& errors);

    void on_message(const binary_message& message) override;
    void on_message(boost::string_view topic, const Json::Value& document) override;

private:
    // The failure's description when the conversion raised or the JSON did not parse.
    boost::optional<std::string> convert_line(const input_line& line);

    std::ostream& m_output;
    std::string m_text;
    converter m_converter;
};

}  // namespace orx::tools
