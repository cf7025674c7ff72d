#pragma once

#include "config_parser/config.hpp"
#include "dictionary_impl.hpp"
#include "value_impl.hpp"

#include <json/value.h>

#include <list>

namespace orx::libs::config {

// A JSON document as a tree. Dictionaries and arrays live in lists, so that their
// addresses never change while the tree grows and every reference stays valid.
class config_json_impl : public config {
public:
    explicit config_json_impl(std::istream& stream);

    const dictionary& get_root() const override { return m_dictionaries.front(); }

private:
    // Builds the value of one JSON member or element, adding the dictionaries and
    // arrays below it to the tree.
    value_impl make_value(const Json::Value& json);
    void add_members(dictionary_impl& into, const Json::Value& object);

    std::list<dictionary_impl> m_dictionaries;
    std::list<value_impl::array> m_arrays;
};

}  // namespace orx::libs::config
