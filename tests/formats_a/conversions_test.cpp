#include "format_cases.hpp"

namespace formats_test {

TEST_P(hex_to_json, gives_the_value) {
    const auto& c = GetParam();
    EXPECT_EQ(decode(*make(c.object), c.input), c.expected);
}

TEST_P(json_to_hex, gives_the_hex_text) {
    const auto& c = GetParam();
    EXPECT_EQ(encode(*make(c.object), c.input), c.expected);
}

TEST_P(hex_to_json_failure, raises) {
    const auto& c = GetParam();
    const auto d = make(c.object);
    EXPECT_EQ(failure_of([&] { d->convert_bin_to_json(c.input); }), c.expected);
}

TEST_P(json_to_hex_failure, raises) {
    const auto& c = GetParam();
    const auto d = make(c.object);
    EXPECT_EQ(failure_of([&] { d->convert_json_to_bin(json_of(c.input)); }), c.expected);
}

}  // namespace formats_test
