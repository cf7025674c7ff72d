#include "conversion_table.hpp"

namespace orx::parameters::test {
namespace {

const std::string str = R"({"jname":"x","format":"STR","size":1})";
const std::string hexstring = R"({"jname":"x","format":"HEXSTRING","size":4})";
const std::string hexvar = R"({"jname":"x","format":"HEXVAR"})";
const std::string byte_str = R"({"jname":"x","format":"BYTE_STR","args":["80","on","off"]})";
const std::string set_word_only = R"({"jname":"x","format":"BYTE_STR","args":["80","on"]})";
const std::string byte_bool = R"({"jname":"x","format":"BYTE_BOOL","args":["04"]})";
const std::string wide_mask = R"({"jname":"x","format":"BYTE_BOOL","args":["104"]})";

// A NUL ends the string, also before text that could not be read; a string
// written is neither padded nor cut to the size.
INSTANTIATE_TEST_SUITE_P(str, conversions, ::testing::Values(
    to_json(str, "414243", R"("ABC")"),
    to_json(str, "41420043", R"("AB")"),
    to_json(str, "", R"("")"),
    to_json(str, "6a6B", R"("jk")"),
    to_json(str, "41004", R"("A")"),
    raises_to_json(str, "414", optional_access_error),
    raises_to_json(str, "4G", optional_access_error),
    to_hex(str, R"("ABC")", "414243"),
    to_hex(str, R"("")", ""),
    to_hex(str, R"("\u00e9")", "C3A9"),
    nothing_to_hex(str, "5")));

// Only whole bytes of hex digits reach a frame; their case is kept.
INSTANTIATE_TEST_SUITE_P(hexstring, conversions, ::testing::Values(
    to_json(hexstring, "0aFF", R"("0aFF")"),
    to_json(hexstring, "0011223344", R"("0011223344")"),
    to_json(hexvar, "xyz", R"("xyz")"),
    to_hex(hexstring, R"("0aFF")", "0aFF"),
    to_hex(hexstring, R"("")", ""),
    nothing_to_hex(hexstring, R"("xyz")"),
    nothing_to_hex(hexstring, R"("0aF")"),
    nothing_to_hex(hexvar, R"("0a F")"),
    to_hex(hexvar, R"("abCD01")", "abCD01"),
    nothing_to_hex(hexvar, "12")));

// Only the word that is needed is read.
INSTANTIATE_TEST_SUITE_P(byte_str, conversions, ::testing::Values(
    to_json(byte_str, "81", R"("on")"),
    to_json(byte_str, "01", R"("off")"),
    to_json(set_word_only, "80", R"("on")"),
    raises_to_json(set_word_only, "01", range_error(2, 2)),
    raises_to_json(byte_str, "8", optional_access_error),
    to_hex(byte_str, R"("on")", "80"),
    to_hex(byte_str, R"("off")", "00"),
    nothing_to_hex(byte_str, R"("On")"),
    nothing_to_hex(byte_str, "true"),
    to_hex(set_word_only, R"("on")", "80"),
    raises_to_hex(set_word_only, R"("off")", range_error(2, 2))));

// A mask wider than a byte writes only its low byte.
INSTANTIATE_TEST_SUITE_P(byte_bool, conversions, ::testing::Values(
    to_json(byte_bool, "05", "true"),
    to_json(byte_bool, "03", "false"),
    to_json(wide_mask, "04", "true"),
    raises_to_json(R"({"jname":"x","format":"BYTE_BOOL"})", "05", range_error(0, 0)),
    to_hex(byte_bool, "true", "04"),
    to_hex(byte_bool, "false", "00"),
    to_hex(wide_mask, "true", "04"),
    nothing_to_hex(byte_bool, "1")));

}  // namespace
}  // namespace orx::parameters::test
