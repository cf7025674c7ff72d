#include "format_cases.hpp"

namespace formats_test {
namespace {

const std::string str = R"({"jname":"x","format":"STR","size":1})";
const std::string hexstring = R"({"jname":"x","format":"HEXSTRING","size":4})";
const std::string hexvar = R"({"jname":"x","format":"HEXVAR"})";
const std::string byte_str = R"({"jname":"x","format":"BYTE_STR","args":["80","on","off"]})";
const std::string set_word_only = R"({"jname":"x","format":"BYTE_STR","args":["80","on"]})";
const std::string byte_bool = R"({"jname":"x","format":"BYTE_BOOL","args":["04"]})";
const std::string wide_mask = R"({"jname":"x","format":"BYTE_BOOL","args":["104"]})";

// A NUL ends the string, also before text that could not be read.
INSTANTIATE_TEST_SUITE_P(str, hex_to_json, ::testing::Values(
    conversion_case{str, "414243", R"("ABC")"},
    conversion_case{str, "41420043", R"("AB")"},
    conversion_case{str, "", R"("")"},
    conversion_case{str, "6a6B", R"("jk")"},
    conversion_case{str, "41004", R"("A")"},
    conversion_case{str, "414", optional_error},
    conversion_case{str, "4G", optional_error}));

// Neither padded nor cut to the size.
INSTANTIATE_TEST_SUITE_P(str, json_to_hex, ::testing::Values(
    conversion_case{str, R"("ABC")", "414243"},
    conversion_case{str, R"("")", ""},
    conversion_case{str, R"("\u00e9")", "C3A9"},
    conversion_case{str, "5", no_value}));

INSTANTIATE_TEST_SUITE_P(hexstring, hex_to_json, ::testing::Values(
    conversion_case{hexstring, "0aFF", R"("0aFF")"},
    conversion_case{hexstring, "0011223344", R"("0011223344")"},
    conversion_case{hexvar, "xyz", R"("xyz")"}));

// Only whole bytes of hex digits reach a frame; their case is kept.
INSTANTIATE_TEST_SUITE_P(hexstring, json_to_hex, ::testing::Values(
    conversion_case{hexstring, R"("0aFF")", "0aFF"},
    conversion_case{hexstring, R"("")", ""},
    conversion_case{hexstring, R"("xyz")", no_value},
    conversion_case{hexstring, R"("0aF")", no_value},
    conversion_case{hexvar, R"("0a F")", no_value},
    conversion_case{hexvar, R"("abCD01")", "abCD01"},
    conversion_case{hexvar, "12", no_value}));

// Only the word that is needed is read.
INSTANTIATE_TEST_SUITE_P(byte_str, hex_to_json, ::testing::Values(
    conversion_case{byte_str, "81", R"("on")"},
    conversion_case{byte_str, "01", R"("off")"},
    conversion_case{set_word_only, "80", R"("on")"},
    conversion_case{set_word_only, "01", range_error(2, 2)},
    conversion_case{byte_str, "8", optional_error}));

INSTANTIATE_TEST_SUITE_P(byte_str, json_to_hex, ::testing::Values(
    conversion_case{byte_str, R"("on")", "80"},
    conversion_case{byte_str, R"("off")", "00"},
    conversion_case{byte_str, R"("On")", no_value},
    conversion_case{byte_str, "true", no_value},
    conversion_case{set_word_only, R"("on")", "80"},
    conversion_case{set_word_only, R"("off")", range_error(2, 2)}));

INSTANTIATE_TEST_SUITE_P(byte_bool, hex_to_json, ::testing::Values(
    conversion_case{byte_bool, "05", "true"},
    conversion_case{byte_bool, "03", "false"},
    conversion_case{wide_mask, "04", "true"},
    conversion_case{R"({"jname":"x","format":"BYTE_BOOL"})", "05", range_error(0, 0)}));

// A mask wider than a byte writes only its low byte.
INSTANTIATE_TEST_SUITE_P(byte_bool, json_to_hex, ::testing::Values(
    conversion_case{byte_bool, "true", "04"},
    conversion_case{byte_bool, "false", "00"},
    conversion_case{wide_mask, "true", "04"},
    conversion_case{byte_bool, "1", no_value}));

}  // namespace
}  // namespace formats_test
