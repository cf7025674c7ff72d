#pragma once

#include <boost/optional.hpp>
#include <boost/range/any_range.hpp>

#include <cstddef>
#include <string>

namespace orx::libs::config {

class dictionary;

// One member of an object or one element of an array. Conversions are strict:
// a value of another kind, or a JSON null, yields nothing.
class value {
public:
    // The elements of an array, in array order.
    using range = boost::any_range<const value, boost::bidirectional_traversal_tag, const value&, std::ptrdiff_t>;

    virtual ~value() = default;

    virtual boost::optional<bool> as_bool() const = 0;
    // An integer, or a real number with an integral value; an integer outside
    // the 32-bit range raises the JSON library's range error.
    virtual boost::optional<int> as_int() const = 0;
    // Any number, integer or real.
    virtual boost::optional<double> as_double() const = 0;
    virtual boost::optional<std::string> as_string() const = 0;
    virtual boost::optional<const dictionary&> as_object() const = 0;
    virtual boost::optional<range> as_array() const = 0;
};

}  // namespace orx::libs::config
