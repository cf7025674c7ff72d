#include "core/json.hpp"

#include <json/reader.h>
#include <json/writer.h>

#include <memory>
#include <sstream>

namespace orx::libs::core::json {

namespace {

Json::CharReaderBuilder make_reader_builder() {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    return builder;
}

// Building a writer is costly compared with writing a small document, so each
// thread keeps one writer and one stream and reuses them.
struct compact_writer {
    compact_writer() {
        Json::StreamWriterBuilder builder;
        builder["commentStyle"] = "None";
        builder["indentation"] = "";
        m_writer.reset(builder.newStreamWriter());
    }
    std::unique_ptr<Json::StreamWriter> m_writer;
    std::ostringstream m_stream;
};

compact_writer& thread_writer() {
    thread_local compact_writer writer;
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

void append_to_string(const Json::Value& value, std::string& out) {
    auto& writer = thread_writer();
    writer.m_stream.str(std::string());
    writer.m_stream.clear();
    writer.m_writer->write(value, &writer.m_stream);
    out += writer.m_stream.str();
}

std::string to_string(const Json::Value& value) {
    std::string out;
    append_to_string(value, out);
    return out;
}

}  // namespace orx::libs::core::json
