#include "format_cases.hpp"

namespace formats_test {

TEST_P(hex_to_json, gives_the_value) {
    EXPECT_EQ(decode(*make(GetParam().object), GetParam().input), GetParam().expected);
}

TEST_P(json_to_hex, gives_the_hex_text) {
    EXPECT_EQ(encode(*make(GetParam().object), GetParam().input), GetParam().expected);
}

}  // namespace formats_test
