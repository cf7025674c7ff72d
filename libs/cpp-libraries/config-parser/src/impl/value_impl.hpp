#pragma once

#include "config_parser/value.hpp"

#include <json/value.h>

#include <boost/variant.hpp>

#include <functional>
#include <vector>

namespace orx::libs::config {

// A value of the tree: a copy of a JSON scalar, or a reference to a dictionary or
// to an array's elements, both owned by the document.
class value_impl : public value {
public:
    using array = std::vector<value_impl>;

    explicit value_impl(Json::Value scalar);
    explicit value_impl(const dictionary& object);
    // The array must be complete: the range keeps its iterators.
    explicit value_impl(const array& elements);

    boost::optional<bool> as_bool() const override;
    boost::optional<int> as_int() const override;
    boost::optional<double> as_double() const override;
    boost::optional<std::string> as_string() const override;
    boost::optional<const dictionary&> as_object() const override;
    boost::optional<range> as_array() const override;

private:
    boost::variant<Json::Value, std::reference_wrapper<const dictionary>, range> m_value;
};

}  // namespace orx::libs::config
