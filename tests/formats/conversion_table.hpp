#pragma once

#include <parameter_config/descriptor.hpp>

#include <gtest/gtest.h>

#include <boost/optional.hpp>
#include <boost/optional/optional_io.hpp>

#include <ostream>
#include <string>

namespace orx::parameters::test {

// One row of a conversion table: a descriptor (its object in the parameter file),
// one input and what must come out of it. `expected` empty means "no value";
// `error` non-empty means the conversion raises an exception whose text holds it.
struct conversion {
    enum direction { TO_JSON, TO_HEX };

    std::string descriptor;
    direction way;
    std::string input;  // hex text, or JSON text for TO_HEX
    boost::optional<std::string> expected;  // compact JSON text, or hex text for TO_HEX
    std::string error;
};

inline conversion to_json(std::string d, std::string hex, std::string json) {
    return {std::move(d), conversion::TO_JSON, std::move(hex), std::move(json), {}};
}
inline conversion to_hex(std::string d, std::string json, std::string hex) {
    return {std::move(d), conversion::TO_HEX, std::move(json), std::move(hex), {}};
}
inline conversion nothing_to_json(std::string d, std::string hex) {
    return {std::move(d), conversion::TO_JSON, std::move(hex), boost::none, {}};
}
inline conversion nothing_to_hex(std::string d, std::string json) {
    return {std::move(d), conversion::TO_HEX, std::move(json), boost::none, {}};
}
inline conversion raises_to_json(std::string d, std::string hex, std::string error) {
    return {std::move(d), conversion::TO_JSON, std::move(hex), boost::none, std::move(error)};
}
inline conversion raises_to_hex(std::string d, std::string json, std::string error) {
    return {std::move(d), conversion::TO_HEX, std::move(json), boost::none, std::move(error)};
}

inline std::ostream& operator<<(std::ostream& stream, const conversion& c) {
    return stream << (c.way == conversion::TO_JSON ? "hex " : "json ") << c.input << " with " << c.descriptor;
}

// Builds a descriptor from its JSON object. Fields of the test-only format
// "TEST_RAW" pass their text through unchanged both ways (any characters).
descriptor::ptr build(const std::string& object_text);

// Texts of the errors that conversions let through.
extern const char* const optional_access_error;
extern const char* const bounds_error;
extern const char* const substr_error;
extern const char* const lexical_error;
// The text of reading element `index` of a list of `size` args.
std::string range_error(int index, int size);

// The JSON value of a text the test holds to be JSON.
Json::Value json_of(const std::string& text);

// Runs one row; every table of this program is an instantiation of it.
class conversions : public ::testing::TestWithParam<conversion> {};

}  // namespace orx::parameters::test
