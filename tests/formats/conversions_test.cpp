#include <parameter_config/descriptor.hpp>

#include <core/json.hpp>

#include <json/value.h>

#include <boost/lexical_cast.hpp>
#include <boost/optional/optional_io.hpp>

#include <gtest/gtest.h>

#include <unistd.h>

#include <stdexcept>

namespace orx::parameters {
namespace {

using exception_test = bool (*)(const std::exception&);
template <typename E>
bool is(const std::exception& e) {
    return dynamic_cast<const E*>(&e) != nullptr;
}
const exception_test unreadable = is<boost::bad_optional_access>, out_of_range = is<std::out_of_range>,
                     bad_number = is<boost::bad_lexical_cast>, json_error = is<Json::LogicError>;
const std::string nothing = "(nothing)";

// One conversion of one descriptor: BOTH reads `hex` to `json` and writes `json`
// back to `hex`; the other ways check one direction only, from the input to the
// expected text, `nothing`, or an exception that `raises` accepts.
struct row {
    enum { BOTH, TO_JSON, TO_HEX } way;
    std::string descriptor, hex, json;
    exception_test raises = nullptr;
};
row both(std::string d, std::string hex, std::string json) { return {row::BOTH, d, hex, json}; }
row to_json(std::string d, std::string hex, std::string json) { return {row::TO_JSON, d, hex, json}; }
row to_hex(std::string d, std::string json, std::string hex) { return {row::TO_HEX, d, hex, json}; }
row json_raises(std::string d, std::string hex, exception_test e) { return {row::TO_JSON, d, hex, "", e}; }
row hex_raises(std::string d, std::string json, exception_test e) { return {row::TO_HEX, d, "", json, e}; }

// The parameter-file object of a descriptor; `members` follow "jname" and "format".
std::string d(const std::string& format, const std::string& members = "") {
    return R"({"jname":"x","format":")" + format + "\"" + (members.empty() ? "" : "," + members) + "}";
}
std::string args(const std::string& format, const std::string& list) { return d(format, R"("args":[)" + list + "]"); }
std::string f(const std::string& jname, int offset, const std::string& format = "UINT",
              const std::string& members = R"(,"size":1)") {
    return R"({"jname":")" + jname + R"(","offset":)" + std::to_string(offset) + R"(,"format":")" + format + "\"" +
           members + "}";
}
std::string with_fields(const std::string& format, int size, std::initializer_list<std::string> fields) {
    std::string list;
    for (const auto& field : fields)
        list += (list.empty() ? "" : ",") + field;
    const std::string size_member = size < 0 ? "" : R"("size":)" + std::to_string(size) + ",";
    return d(format, size_member + R"("fields":[)" + list + "]");
}

Json::Value json_of(const std::string& text) { return libs::core::json::try_parse(text).result; }

descriptor::ptr build(const std::string& object) {
    auto made = descriptor::create_from_json(json_of(object));
    return made ? std::move(*made) : nullptr;
}

template <typename F>
void check(const row& r, F convert, const std::string& expected) {
    try {
        EXPECT_EQ(convert().value_or(nothing), expected);
        EXPECT_FALSE(r.raises) << "no exception";
    } catch (const std::exception& e) {
        EXPECT_TRUE(r.raises && r.raises(e)) << e.what();
    }
}

class conversions : public ::testing::TestWithParam<row> {};

TEST_P(conversions, give_the_listed_result) {
    const row& r = GetParam();
    SCOPED_TRACE(r.descriptor + " hex " + r.hex + " json " + r.json);
    const auto made = build(r.descriptor);
    ASSERT_TRUE(made);
    alarm(2);  // a walk over records that never ends is stopped here
    if (r.way != row::TO_HEX)
        check(
            r,
            [&] {
                const auto value = made->convert_bin_to_json(r.hex);
                return value ? boost::make_optional(libs::core::json::to_string(*value)) : boost::none;
            },
            r.json);
    if (r.way != row::TO_JSON)
        check(
            r, [&] { return made->convert_json_to_bin(json_of(r.json)); }, r.hex);
    alarm(0);
}

std::string sized(const std::string& format, int size) { return d(format, R"("size":)" + std::to_string(size)); }
const std::string uint1 = sized("UINT", 1), uint2 = sized("UINT", 2), uint4 = sized("UINT", 4);
const std::string slice = "BYTE_SLICE_UINT", bits_2_4 = args(slice, R"("2","4")");
const std::string mask = args("BYTE_UINT", R"("0xF0")");

// clang-format off
INSTANTIATE_TEST_SUITE_P(numbers, conversions, ::testing::Values(
    both(uint1, "FF", "255"), both(uint2, "01F4", "500"), both(uint4, "FFFFFFFF", "4294967295"),
    to_hex(uint2, "-1", nothing), json_raises(uint2, "01", unreadable), both(sized("INT", 1), "80", "-128"),
    both(sized("INT", 2), "FFFE", "-2"), both(sized("INT", 4), "80000000", "-2147483648"),
    to_hex(sized("INT", 4), "2147483648", nothing), to_json(mask, "AB", "160"), to_hex(mask, "171", "A0"),
    to_hex(mask, "-1", nothing), json_raises(args("BYTE_UINT", ""), "AB", out_of_range),
    to_json(bits_2_4, "F4", "5"), to_hex(bits_2_4, "15", "1C"), both(args(slice, R"("0","7")"), "AB", "171"),
    to_json(args(slice, R"("4","2")"), "FF", nothing), to_hex(args(slice, R"("0","8")"), "1", nothing),
    json_raises(args(slice, R"(" 2","4")"), "F4", bad_number), to_json(args("SHIFT", R"("4")"), "ab", "10"),
    to_hex(args("SHIFT", R"("4")"), "10", "A0"), to_hex(args("SHIFT", R"("33")"), "171", "56"),
    to_json(args("MUL_UINT", R"("10")"), "ff", "2550"), to_hex(args("MUL_UINT", R"("10")"), "57", "05"),
    to_hex(args("MUL_UINT", R"("0")"), "5", nothing)));
// clang-format on

const std::string str = d("STR"), hexstring = sized("HEXSTRING", 1), hexvar = d("HEXVAR");
const std::string byte_str = args("BYTE_STR", R"("80","on","off")"), byte_bool = args("BYTE_BOOL", R"("0x04")");

// A NUL ends a string, also before text that could not be read.
// clang-format off
INSTANTIATE_TEST_SUITE_P(texts, conversions, ::testing::Values(
    both(str, "414243", R"("ABC")"), to_json(str, "41420043", R"("AB")"), to_json(str, "41004", R"("A")"),
    json_raises(str, "414", unreadable), to_hex(str, "5", nothing), both(hexstring, "0aFF12", R"("0aFF12")"),
    to_hex(hexstring, R"("0aF")", nothing), both(hexvar, "abCD", R"("abCD")"), to_hex(hexvar, R"("0G")", nothing),
    to_hex(hexvar, "12", nothing), to_json(byte_str, "81", R"("on")"), both(byte_str, "00", R"("off")"),
    to_hex(byte_str, R"("on")", "80"), to_hex(byte_str, R"("On")", nothing),
    to_json(args("BYTE_STR", R"("80","on")"), "80", R"("on")"), to_json(byte_bool, "05", "true"),
    to_json(byte_bool, "FB", "false"), to_hex(byte_bool, "true", "04"), to_hex(byte_bool, "false", "00"),
    to_hex(byte_bool, "1", nothing)));
// clang-format on

std::string words(int count) {
    std::string list;
    for (int i = 0; i < count; ++i)
        list += (i ? ",\"w" : "\"w") + std::to_string(i) + "\"";
    return args("VAR_LIST", list);
}
const std::string var_list = args("VAR_LIST", R"("off","on","auto")");
const std::string levels = args("VAR_LIST_WITH_VALUES", R"("low=1","high=10","a=b=7","big=300")");
// Without "=" an arg is both word and code; codes are read like numbers from a stream.
const std::string codes = args("VAR_LIST_WITH_VALUES", R"("7","x","y= 12","z=13kHz","y=2")");
const std::string states = args("BYTE_SLICE_VAR_LIST", R"("4","6","idle","scan","track")");
const std::string two_bits = args("BYTE_SLICE_VAR_LIST", R"("6","7","a","b","c","d","e")");

// clang-format off
INSTANTIATE_TEST_SUITE_P(lists, conversions, ::testing::Values(
    both(var_list, "02", R"("auto")"), json_raises(var_list, "03", out_of_range), to_hex(var_list, R"("Off")", nothing),
    both(words(300), "FF", R"("w255")"), to_hex(words(300), R"("w256")", nothing), both(levels, "0A", R"("high")"),
    to_json(levels, "02", nothing), both(levels, "07", R"("a=b")"), to_hex(levels, R"("big")", "2C"),
    to_json(levels, "2C", nothing), both(codes, "07", R"("7")"), to_json(codes, "00", R"("x")"),
    to_hex(codes, R"("y")", "0C"), to_json(codes, "0D", R"("z")"), both(states, "20", R"("track")"),
    to_json(states, "8F", R"("idle")"), json_raises(states, "70", out_of_range), to_hex(states, R"("TRACK")", nothing),
    to_json(args("BYTE_SLICE_VAR_LIST", R"("5","3","a")"), "FF", nothing),
    to_hex(args("BYTE_SLICE_VAR_LIST", R"("0","8","a")"), R"("a")", nothing), both(two_bits, "C0", R"("d")"),
    to_hex(two_bits, R"("e")", nothing)));
// clang-format on

const std::string ipv4 = d("IPV4"), ipv6 = d("IPV6");

// clang-format off
INSTANTIATE_TEST_SUITE_P(addresses, conversions, ::testing::Values(
    both(ipv4, "7F000001", R"("127.0.0.1")"), to_json(ipv4, "c0a8010aFF", R"("192.168.1.10")"),
    json_raises(ipv4, "7F0000", unreadable), to_hex(ipv4, R"("1.2.3")", nothing),
    to_hex(ipv4, R"("1.2.3.4\u0000")", nothing), json_raises(ipv6, "2001", out_of_range),
    both(ipv6, "20010DB8000000000000000000000001", R"("2001:0DB8:0000:0000:0000:0000:0000:0001")"),
    to_json(ipv6, "20010db80000000000000000000000", R"("2001:0db8:0000:0000:0000:0000:0000:00")"),
    to_hex(ipv6, R"("::ffff:1.2.3.4")", "00000000000000000000FFFF01020304"), to_hex(ipv6, R"("2001:zz::1")", nothing)));
// clang-format on

const std::string packed = with_fields(
    "OBJECT", -1, {f("on", 0, slice, R"(,"args":["7","7"])"), f("level", 0, slice, R"(,"args":["0","3"])")});
const std::string gap = with_fields("OBJECT", -1, {f("a", 0), f("b", 2)});
const std::string three = with_fields("OBJECT", -1, {f("a", 0), f("b", 1), f("c", 2)});
const std::string words2 = with_fields("ARRAY", 2, {f("v", 0, "UINT", R"(,"size":2)")});
const std::string blobs = with_fields("ARRAYVAR", 1, {f("size", 0), f("data", 1, "HEXVAR", "")});
const std::string unsized_blobs = with_fields("ARRAYVAR", 1, {f("n", 0), f("data", 1, "HEXVAR", "")});
const std::string names = with_fields("VARIABLE_SIZE_ARRAY", 2, {f("id", 0), f("name", 1, "STR", "")});

// A missing member ends a record and keeps what came before it; a field with a
// "size" reads that many bytes, one without the rest of the record.
// clang-format off
INSTANTIATE_TEST_SUITE_P(composites, conversions, ::testing::Values(
    both(packed, "85", R"({"level":5,"on":1})"), both(gap, "010002", R"({"a":1,"b":2})"), to_json(gap, "", "null"),
    to_json(gap, "0100", R"({"a":1})"), to_hex(three, R"({"a":1,"c":3})", "01"), to_hex(three, R"({"b":2})", nothing),
    to_hex(three, "[1]", nothing), to_hex(gap, R"({"a":1,"b":-1})", nothing),
    to_hex(with_fields("OBJECT", -1, {f("w", 0, "UINT", R"(,"size":2)"), f("b", 1)}), R"({"b":255,"w":4660})", "12FF"),
    both(with_fields("OBJECT", -1, {f("r", 0, "HEXVAR", R"(,"size":1)"), f("rest", 1, "HEXVAR", "")}), "ABCDEF",
         R"({"r":"AB","rest":"CDEF"})"),
    both(words2, "00010002", R"([{"v":1},{"v":2}])"), to_hex(words2, "[]", "00"),
    to_json(with_fields("ARRAY", 2, {f("r", 0, "HEXVAR", "")}), "AABBCC", R"([{"r":"AABB"},{"r":"CC"}])"),
    json_raises(with_fields("ARRAY", 1, {f("v", 2)}), "0102", out_of_range),
    to_json(with_fields("ARRAY", 1, {f("r", 1, "HEXVAR", "")}), "0102", R"([{"r":""},{"r":""}])"),
    to_json(with_fields("ARRAY", 0, {f("v", 0)}), "010203", R"([{"v":1}])"),
    to_hex(words2, R"([{"v":1},{}])", nothing), hex_raises(words2, "[1]", json_error),
    to_hex(words2, R"({"v":1})", nothing),
    both(blobs, "02AABB01CC", R"([{"data":"AABB","size":2},{"data":"CC","size":1}])"), to_hex(blobs, "[]", "00"),
    to_json(unsized_blobs, "05AB", R"([{"data":"","n":5,"size":null},{"data":"","n":171,"size":null}])"),
    to_hex(unsized_blobs, R"([{"data":"","n":5}])", "05"), to_hex(unsized_blobs, R"([{"data":"AB","n":5}])", nothing),
    to_hex(blobs, R"([{"data":"AABB","size":1}])", nothing),
    both(names, "01414200024300", R"([{"id":1,"name":"AB"},{"id":2,"name":"C"}])"),
    both(names, "0100", R"([{"id":1,"name":""}])"), to_hex(names, "[]", "00"),
    to_json(names, "014142", R"([{"id":1,"name":"AB"}])"), to_json(names, "01400A00", R"([{"id":1,"name":"@\n"}])"),
    to_hex(names, R"([{"id":1,"name":"A"},{"id":2}])", nothing),
    to_json(with_fields("VARIABLE_SIZE_ARRAY", 1, {f("id", 0)}), "0102", R"([{"id":1}])")));
// clang-format on

}  // namespace
}  // namespace orx::parameters
