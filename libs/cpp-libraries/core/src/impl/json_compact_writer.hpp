#pragma once

#include <json/value.h>
#include <json/writer.h>

#include <memory>
#include <sstream>
#include <string>

namespace orx::libs::core::json::detail {

// Compact JSON text appended straight to a string, byte for byte what jsoncpp's
// stream writer gives with no indentation and no comments. Structure, null,
// booleans, integers and strings of plain printable ASCII are written here;
// reals and strings that need escaping are handed, one scalar at a time, to a
// jsoncpp writer built with the same settings, so their text is jsoncpp's own.
class compact_writer {
public:
    compact_writer();

    void append(const Json::Value& value, std::string& out);

private:
    void append_string(const char* begin, const char* end, std::string& out);
    void append_by_jsoncpp(const Json::Value& scalar, std::string& out);

    std::unique_ptr<Json::StreamWriter> m_fallback;
    std::ostringstream m_stream;
};

}  // namespace orx::libs::core::json::detail
