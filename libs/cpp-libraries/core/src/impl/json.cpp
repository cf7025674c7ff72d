#include "core/json.hpp"

#include "json_compact_writer.hpp"

#include <json/reader.h>

#include <memory>

namespace orx::libs::core::json {

namespace {

Json::CharReaderBuilder make_reader_builder() {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    return builder;
}

// Building a writer is costly compared with writing a small document, so each
// thread keeps one and reuses it.
detail::compact_writer& thread_writer() {
    thread_local detail::compact_writer writer;
    return writer;
}

}  // namespace

parse_result try_parse(boost::string_view text) {
    thread_local std::unique_ptr<Json::CharReader> reader(make_reader_builder().newCharReader());
    parse_result result;
    std::string errors;
    result.ok = reader->parse(text.data(), text.data() + text.size(), &result.result, &errors);
    if (!result.ok) {
        result.result = Json::Value();
        result.error = errors;
    }
    return result;
}

parse_result try_parse(std::istream& stream) {
    parse_result result;
    std::string errors;
    result.ok = Json::parseFromStream(make_reader_builder(), stream, &result.result, &errors);
    if (!result.ok) {
        result.result = Json::Value();
        result.error = errors;
    }
    return result;
}

void append_to_string(const Json::Value& value, std::string& out) { thread_writer().append(value, out); }

std::string to_string(const Json::Value& value) {
    std::string out;
    append_to_string(value, out);
    return out;
}

}  // namespace orx::libs::core::json
