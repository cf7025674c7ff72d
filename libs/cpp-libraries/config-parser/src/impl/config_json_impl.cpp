#include "config_json_impl.hpp"

#include <json/reader.h>

#include <boost/optional.hpp>
#include <boost/throw_exception.hpp>

#include <memory>
#include <sstream>
#include <stdexcept>

namespace orx::libs::config {

namespace {

// The whole text as one document: comments are accepted and dropped; text after
// the document but blanks and comments, a NUL character (the reader would take
// it for the end of the text) and nesting deeper than the reader allows are
// refused. Returns the reason of a failure.
boost::optional<std::string> parse(std::istream& stream, Json::Value& document) {
    std::ostringstream text;
    text << stream.rdbuf();
    const std::string content = text.str();
    if (content.find('\0') != std::string::npos)
        return std::string("NUL character in the JSON text");
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    builder["failIfExtra"] = true;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    try {
        if (!reader->parse(content.data(), content.data() + content.size(), &document, &errors))
            return errors;
    } catch (const Json::Exception& e) {
        return std::string(e.what());
    }
    return boost::none;
}

}  // namespace

config_json_impl::config_json_impl(std::istream& stream) {
    Json::Value document;
    if (const auto errors = parse(stream, document))
        BOOST_THROW_EXCEPTION(std::runtime_error("Cannot parse json: " + *errors));

    // A top level other than an object leaves the root empty.
    add_members(m_dictionaries.emplace_back(), document);
}

void config_json_impl::add_members(dictionary_impl& into, const Json::Value& object) {
    if (!object.isObject())
        return;
    for (auto member = object.begin(); member != object.end(); ++member)
        into.add_value(member.name(), make_value(*member));
}

value_impl config_json_impl::make_value(const Json::Value& json) {
    if (json.isObject()) {
        dictionary_impl& object = m_dictionaries.emplace_back();
        add_members(object, json);
        return value_impl(object);
    }
    if (json.isArray()) {
        value_impl::array& elements = m_arrays.emplace_back();
        elements.reserve(json.size());
        for (const Json::Value& element : json)
            elements.push_back(make_value(element));
        return value_impl(elements);
    }
    return value_impl(json);
}

template <>
config::ptr config::create<type::json>(std::istream& stream) {
    return std::make_unique<config_json_impl>(stream);
}

}  // namespace orx::libs::config
