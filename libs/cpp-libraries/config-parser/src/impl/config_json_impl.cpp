#include "config_json_impl.hpp"

#include <json/reader.h>

#include <boost/throw_exception.hpp>

#include <stdexcept>

namespace orx::libs::config {

config_json_impl::config_json_impl(std::istream& stream) {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    Json::Value document;
    std::string errors;
    if (!Json::parseFromStream(builder, stream, &document, &errors))
        BOOST_THROW_EXCEPTION(std::runtime_error("Cannot parse json: " + errors));

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
