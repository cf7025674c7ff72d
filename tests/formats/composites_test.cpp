#include "conversion_table.hpp"

#include <parameter_config/bitwise_or_for_hex_strings.hpp>

#include <core/json.hpp>

#include <gmock/gmock.h>

#include <unistd.h>

#include <cstdlib>

namespace orx::parameters::test {
namespace {

std::string composite(const std::string& format, const std::string& size, const std::string& fields) {
    return R"({"format":")" + format + R"(","jname":"value")" + size + R"(,"fields":[)" + fields + "]}";
}
std::string object(const std::string& fields) { return composite("OBJECT", "", fields); }
std::string array(unsigned size, const std::string& fields) {
    return composite("ARRAY", ",\"size\":" + std::to_string(size), fields);
}
std::string arrayvar(unsigned size, const std::string& fields) {
    return composite("ARRAYVAR", ",\"size\":" + std::to_string(size), fields);
}
std::string variable_size_array(unsigned size, const std::string& fields) {
    return composite("VARIABLE_SIZE_ARRAY", ",\"size\":" + std::to_string(size), fields);
}
std::string field(const std::string& format, unsigned offset, const std::string& jname, const std::string& more = "") {
    return R"({"format":")" + format + R"(","offset":)" + std::to_string(offset) + R"(,"jname":")" + jname + "\"" +
           more + "}";
}
std::string uint_field(unsigned offset, const std::string& jname, unsigned size = 1) {
    return field("UINT", offset, jname, ",\"size\":" + std::to_string(size));
}

// One byte packed from a flag in bit 7 and a level in bits 0 to 3.
std::string packed_byte() {
    std::string levels;
    for (int i = 0; i < 16; ++i)
        levels += ",\"l" + std::to_string(i) + "\"";
    return object(field("BYTE_SLICE_VAR_LIST", 0, "on", R"(,"args":["7","7","off","on"])") + "," +
                  field("BYTE_SLICE_VAR_LIST", 0, "level", R"(,"args":["0","3")" + levels + "]"));
}
const std::string gap = object(uint_field(0, "a") + "," + uint_field(2, "b"));
const std::string three = object(uint_field(0, "a") + "," + uint_field(1, "b") + "," + uint_field(2, "c"));
// Merging a text that is not hex into a placed field fails.
const std::string unmergeable = object(field("TEST_RAW", 0, "raw") + "," + uint_field(0, "n"));

INSTANTIATE_TEST_SUITE_P(object, conversions, ::testing::Values(
    to_hex(packed_byte(), R"({"level":"l5","on":"on"})", "85"),
    to_json(packed_byte(), "85", R"({"level":"l5","on":"on"})"),
    to_json(packed_byte(), "05", R"({"level":"l5","on":"off"})"),
    to_hex(gap, R"({"a":1,"b":2})", "010002"),
    // A missing member ends the record and keeps what came before it.
    to_hex(three, R"({"a":1,"c":3})", "01"),
    nothing_to_hex(three, R"({"b":2})"),
    nothing_to_hex(three, "{}"),
    nothing_to_hex(three, "[1]"),
    nothing_to_hex(gap, R"({"a":1,"b":-1})"),
    nothing_to_hex(unmergeable, R"({"n":1,"raw":"ZZ"})"),
    // A field longer than the distance to the next is overwritten by it.
    to_hex(object(uint_field(0, "w", 2) + "," + uint_field(1, "b")), R"({"b":255,"w":4660})", "12FF"),
    to_json(gap, "", "null"),
    // A field at or past the last whole byte ends the record.
    to_json(gap, "0100", R"({"a":1})"),
    to_json(gap, "01000", R"({"a":1})"),
    // A field without "size" takes the rest of the text, one with "size" that many bytes.
    to_json(object(uint_field(0, "n") + "," + field("TEST_RAW", 1, "rest")), "01ABCD", R"({"n":1,"rest":"ABCD"})"),
    to_json(object(field("TEST_RAW", 0, "r", R"(,"size":1)")), "ABCD", R"({"r":"AB"})")));

const std::string words = array(2, uint_field(0, "v", 2));
const std::string raw_records = array(2, field("TEST_RAW", 0, "r"));

INSTANTIATE_TEST_SUITE_P(array, conversions, ::testing::Values(
    to_json(words, "00010002", R"([{"v":1},{"v":2}])"),
    to_hex(words, R"([{"v":1},{"v":2}])", "00010002"),
    to_hex(words, "[]", "00"),
    to_json(raw_records, "AABBCC", R"([{"r":"AABB"},{"r":"CC"}])"),
    to_json(array(2, ""), "", "[null]"),
    to_hex(array(3, uint_field(0, "a") + "," + uint_field(2, "b")), R"([{"a":1,"b":2},{"a":3,"b":4}])",
           "010002030004"),
    // A field past the end of its record raises; one exactly at the end reads empty text.
    raises_to_json(array(1, uint_field(2, "v")), "0102", substr_error),
    to_json(array(1, field("TEST_RAW", 1, "r")), "0102", R"([{"r":""},{"r":""}])"),
    to_json(array(0, ""), "", "[null]"),
    // One element that cannot be written spoils the whole value.
    nothing_to_hex(words, R"([{"v":1},{}])"),
    nothing_to_hex(words, R"([{},{"v":2}])"),
    nothing_to_hex(words, R"([{"v":1},null])"),
    nothing_to_hex(words, R"([{"v":1},{"v":"x"}])"),
    nothing_to_hex(array(1, field("TEST_RAW", 0, "raw") + "," + uint_field(0, "n")), R"([{"n":1,"raw":"ZZ"}])"),
    raises_to_hex(words, "[1]", "requires objectValue or nullValue"),
    nothing_to_hex(words, R"({"v":1})")));

// Records of a length byte "size" and that many bytes of "data".
const std::string sized_blobs = arrayvar(1, uint_field(0, "size") + "," + field("HEXVAR", 1, "data"));
// Records whose blob has no length member to go by.
const std::string unsized_blobs = arrayvar(1, uint_field(0, "n") + "," + field("HEXVAR", 1, "data"));

INSTANTIATE_TEST_SUITE_P(arrayvar, conversions, ::testing::Values(
    to_json(sized_blobs, "02AABB01CC", R"([{"data":"AABB","size":2},{"data":"CC","size":1}])"),
    to_hex(sized_blobs, R"([{"data":"AABB","size":2},{"data":"CC","size":1}])", "02AABB01CC"),
    to_json(sized_blobs, "00", R"([{"data":"","size":0}])"),
    to_hex(sized_blobs, "[]", "00"),
    // Without a "size" member the blob is empty, and the record shows a null "size".
    to_json(unsized_blobs, "05AB", R"([{"data":"","n":5,"size":null},{"data":"","n":171,"size":null}])"),
    to_hex(unsized_blobs, R"([{"data":"","n":5}])", "05"),
    // "size" must be the blob's byte length (absent: 0).
    nothing_to_hex(sized_blobs, R"([{"data":"AABB","size":1}])"),
    nothing_to_hex(sized_blobs, R"([{"data":"AABB","size":2},{"data":"CC","size":0}])"),
    nothing_to_hex(unsized_blobs, R"([{"data":"AB","n":5}])"),
    nothing_to_hex(sized_blobs, R"([{"data":"AABB","size":2},{"size":0}])"),
    raises_to_json(arrayvar(1, uint_field(3, "v")), "0102", substr_error)));

// Records of an id byte and a NUL-terminated name.
const std::string names = variable_size_array(2, uint_field(0, "id") + "," + field("STR", 1, "name"));

INSTANTIATE_TEST_SUITE_P(variable_size_array, conversions, ::testing::Values(
    to_json(names, "01414200024300", R"([{"id":1,"name":"AB"},{"id":2,"name":"C"}])"),
    to_hex(names, R"([{"id":1,"name":"AB"},{"id":2,"name":"C"}])", "01414200024300"),
    to_hex(names, R"([{"id":1,"name":""}])", "0100"),
    to_json(names, "0100", R"([{"id":1,"name":""}])"),
    to_hex(names, "[]", "00"),
    // Without a NUL the name takes the rest of the text.
    to_json(names, "014142", R"([{"id":1,"name":"AB"}])"),
    // Only a 00 on a byte boundary ends the name.
    to_json(names, "01400A00", R"([{"id":1,"name":"@\n"}])"),
    nothing_to_hex(names, R"([{"id":1,"name":"A"},{"id":2}])"),
    raises_to_json(variable_size_array(1, uint_field(2, "v")), "01", substr_error)));

// Walks whose stride is 0. A walk that failed to stop would never return, so each
// runs in a child process that an alarm ends after a few seconds.
class walks_without_stride : public ::testing::TestWithParam<conversion> {};

TEST_P(walks_without_stride, end_after_one_record) {
    const auto d = build(GetParam().descriptor);
    ASSERT_TRUE(d);
    EXPECT_EXIT(
        {
            alarm(5);
            const auto value = d->convert_bin_to_json(GetParam().input);
            std::_Exit(value && libs::core::json::to_string(*value) == GetParam().expected ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(records, walks_without_stride, ::testing::Values(
    // Size 0: the whole text is one record.
    to_json(array(0, uint_field(0, "v")), "010203", R"([{"v":1}])"),
    // A record that does not advance ends the walk and is kept.
    to_json(variable_size_array(1, uint_field(0, "id")), "0102", R"([{"id":1}])")));

struct or_case {
    std::string left;
    std::string right;
    boost::optional<std::string> result;
};

class hex_or : public ::testing::TestWithParam<or_case> {};

TEST_P(hex_or, merges_digit_by_digit_from_the_first) {
    EXPECT_EQ(bitwise_OR_for_hex_strings(GetParam().left, GetParam().right), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(texts, hex_or, ::testing::Values(
    or_case{"0F", "A1C", std::string("AFC")},
    or_case{"1", "20", std::string("30")},
    or_case{"a0", "05", std::string("A5")},
    or_case{"", "", std::string()},
    or_case{"1G", "00", boost::none},
    or_case{"00", "0g", boost::none},
    or_case{"", "x", boost::none}));

}  // namespace
}  // namespace orx::parameters::test
