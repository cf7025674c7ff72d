#pragma once

#include <json/value.h>

#include <boost/utility/string_view.hpp>
#include <istream>
#include <string>

namespace orx::libs::core::json {

struct parse_result {
    Json::Value result;
    bool ok = false;
    std::string error;
};

// Parses a whole JSON text holding one document; comments are accepted and
// dropped, anything else after the document is a failure, as is nesting deeper
// than the reader allows. Never throws for bad input.
parse_result try_parse(boost::string_view text);
parse_result try_parse(std::istream& stream);

// Compact JSON text: no whitespace between tokens, members in key order.
std::string to_string(const Json::Value& value);

// The same text appended to `out` (lets hot paths reuse one buffer).
void append_to_string(const Json::Value& value, std::string& out);

}  // namespace orx::libs::core::json
