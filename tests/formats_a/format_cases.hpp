#pragma once

#include "parameter_config/descriptor.hpp"

#include <core/exception.hpp>
#include <core/json.hpp>

#include <boost/lexical_cast.hpp>
#include <boost/optional.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>

namespace formats_test {

using orx::parameters::descriptor;

inline Json::Value json_of(const std::string& text) {
    const auto parsed = orx::libs::core::json::try_parse(text);
    if (!parsed.ok)
        throw std::invalid_argument("test text is not JSON: " + text);
    return parsed.result;
}

// A parameter object of the file, as JSON text, built through the factory.
inline descriptor::ptr make(const std::string& object) {
    auto made = descriptor::create_from_json(json_of(object));
    if (!made)
        throw std::invalid_argument("test object is not a descriptor: " + object);
    return std::move(*made);
}

// What `action` gives, or the kind and text of the error that escapes it.
inline std::string outcome_of(const std::function<std::string()>& action) {
    try {
        return action();
    } catch (const boost::bad_optional_access& e) {
        return std::string("optional: ") + e.what();
    } catch (const boost::bad_lexical_cast& e) {
        return std::string("lexical_cast: ") + e.what();
    } catch (const std::out_of_range& e) {
        return std::string("range: ") + e.what();
    } catch (const orx::libs::core::exception& e) {
        return "core: " + e.error();
    }
}

inline const std::string no_value = "<no value>";
inline const std::string optional_error =
    "optional: Attempted to access the value of an uninitialized optional object.";
inline const std::string lexical_error =
    "lexical_cast: bad lexical cast: source type value could not be interpreted as target";
inline std::string range_error(int index, int size) {
    return "range: vector::_M_range_check: __n (which is " + std::to_string(index) + ") >= this->size() (which is " +
           std::to_string(size) + ")";
}

// Hex text to the compact JSON text of the value.
inline std::string decode(const descriptor& d, const std::string& hex) {
    return outcome_of([&] {
        const auto value = d.convert_bin_to_json(hex);
        return value ? orx::libs::core::json::to_string(*value) : no_value;
    });
}

// JSON text to hex text.
inline std::string encode(const descriptor& d, const std::string& json) {
    return outcome_of([&] {
        const auto hex = d.convert_json_to_bin(json_of(json));
        return hex ? *hex : no_value;
    });
}

// One conversion: the parameter object, the input (hex text, or JSON text when
// encoding) and what it must give (output text, no_value or an error text).
struct conversion_case {
    std::string object;
    std::string input;
    std::string expected;
};

inline std::ostream& operator<<(std::ostream& stream, const conversion_case& c) {
    return stream << c.object << " [" << c.input << "] -> " << c.expected;
}

class hex_to_json : public ::testing::TestWithParam<conversion_case> {};
class json_to_hex : public ::testing::TestWithParam<conversion_case> {};

}  // namespace formats_test
