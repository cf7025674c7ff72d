#include "core/json.hpp"

#include "json_compact_writer.hpp"

#include <json/reader.h>

#include <memory>
#include <sstream>

namespace orx::libs::core::json {

namespace {

Json::CharReaderBuilder make_reader_builder() {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    // One document per text: anything after it but blanks and comments fails.
    builder["failIfExtra"] = true;
    return builder;
}

parse_result failure(std::string error) {
    parse_result result;
    result.error = std::move(error);
    return result;
}

// Building a writer is costly compared with writing a small document, so each
// thread keeps one and reuses it.
detail::compact_writer& thread_writer() {
    thread_local detail::compact_writer writer;
    return writer;
}

}  // namespace

parse_result try_parse(boost::string_view text) {
    // The reader takes a NUL character for the end of the text, so that whatever
    // follows one would be dropped unseen. JSON has no place for it outside
    // strings, and there it is written escaped.
    if (text.find('\0') != boost::string_view::npos)
        return failure("NUL character in the JSON text");
    thread_local std::unique_ptr<Json::CharReader> reader(make_reader_builder().newCharReader());
    parse_result result;
    std::string errors;
    try {
        result.ok = reader->parse(text.data(), text.data() + text.size(), &result.result, &errors);
    } catch (const Json::Exception& e) {
        // The reader raises for nesting deeper than it allows.
        return failure(e.what());
    }
    if (!result.ok)
        return failure(errors);
    return result;
}

parse_result try_parse(std::istream& stream) {
    std::ostringstream text;
    text << stream.rdbuf();
    return try_parse(text.str());
}

void append_to_string(const Json::Value& value, std::string& out) { thread_writer().append(value, out); }

std::string to_string(const Json::Value& value) {
    std::string out;
    append_to_string(value, out);
    return out;
}

}  // namespace orx::libs::core::json
