#include "conversion_table.hpp"

namespace orx::parameters::test {
namespace {

const std::string switch_words = R"({"format":"VAR_LIST","jname":"mode","args":["off","on","auto"]})";
const std::string no_words = R"({"format":"VAR_LIST","jname":"mode"})";

// A list longer than one byte can address: words w0 ... w299.
std::string long_list() {
    std::string object = R"({"format":"VAR_LIST","jname":"long","args":[)";
    for (int i = 0; i < 300; ++i)
        object += (i ? ",\"w" : "\"w") + std::to_string(i) + "\"";
    return object + "]}";
}

INSTANTIATE_TEST_SUITE_P(var_list, conversions, ::testing::Values(
    to_json(switch_words, "02", R"("auto")"),
    to_json(switch_words, "00ff", R"("off")"),
    raises_to_json(switch_words, "03", bounds_error),
    raises_to_json(switch_words, "0", optional_access_error),
    to_hex(switch_words, R"("on")", "01"),
    nothing_to_hex(switch_words, R"("Off")"),
    nothing_to_hex(switch_words, "1"),
    nothing_to_hex(no_words, R"("")"),
    to_json(long_list(), "FF", R"("w255")"),
    to_hex(long_list(), R"("w255")", "FF"),
    // Past position 255 a word has no one-byte code.
    nothing_to_hex(long_list(), R"("w256")")));

std::string with_values(const std::string& args) {
    return R"({"format":"VAR_LIST_WITH_VALUES","jname":"level","args":[)" + args + "]}";
}
const std::string levels = with_values(R"("low=1","mid=5","high=10")");

INSTANTIATE_TEST_SUITE_P(var_list_with_values, conversions, ::testing::Values(
    to_json(levels, "0a", R"("high")"),
    nothing_to_json(levels, "02"),
    raises_to_json(levels, "zz", optional_access_error),
    to_hex(levels, R"("mid")", "05"),
    nothing_to_hex(levels, R"("Mid")"),
    nothing_to_hex(levels, "5"),
    // The word runs up to the last "=".
    to_json(with_values(R"("a=b=7")"), "07", R"("a=b")"),
    to_hex(with_values(R"("a=b=7")"), R"("a=b")", "07"),
    // A code above 255 is written cut to one byte but never read back.
    to_hex(with_values(R"("big=300")"), R"("big")", "2C"),
    nothing_to_json(with_values(R"("big=300")"), "2C"),
    // Without "=" the arg is the word and the code text; text without a number is 0.
    to_json(with_values(R"("5")"), "05", R"("5")"),
    to_json(with_values(R"("x","auto")"), "00", R"("x")"),
    to_hex(with_values(R"("auto")"), R"("auto")", "00"),
    // The code text is read like a number from a stream: blanks first, junk after.
    to_json(with_values(R"("x= 12","y=13kHz")"), "0D", R"("y")"),
    to_hex(with_values(R"("x= 12")"), R"("x")", "0C"),
    // The first arg wins when words or codes repeat.
    to_hex(with_values(R"("dup=1","dup=2")"), R"("dup")", "01"),
    to_json(with_values(R"("one=1","uno=1")"), "01", R"("one")"),
    nothing_to_json(with_values(""), "00"),
    nothing_to_hex(with_values(""), R"("x")")));

std::string slice(const std::string& args) {
    return R"({"format":"BYTE_SLICE_VAR_LIST","jname":"state","args":[)" + args + "]}";
}
const std::string states = slice(R"("4","6","idle","scan","track")");

INSTANTIATE_TEST_SUITE_P(byte_slice_var_list, conversions, ::testing::Values(
    to_json(states, "20", R"("track")"),
    to_json(states, "8F", R"("idle")"),  // bits outside 4..6 do not count
    raises_to_json(states, "70", bounds_error),
    to_hex(states, R"("scan")", "10"),
    to_hex(states, R"("idle")", "00"),
    nothing_to_hex(states, R"("TRACK")"),
    nothing_to_hex(slice(R"("4","6")"), R"("4")"),
    raises_to_json(slice(""), "00", "(which is 0) >= this->size() (which is 0)"),
    raises_to_json(slice(R"("x","6","a")"), "00", "bad lexical cast"),
    raises_to_hex(slice(R"("4","six","a")"), R"("a")", "bad lexical cast"),
    to_json(slice(R"("0","7","a","b")"), "01", R"("b")"),
    // A range that runs backwards or leaves the byte has no value either way.
    nothing_to_json(slice(R"("5","3","a","b")"), "FF"),
    nothing_to_hex(slice(R"("5","3","a","b")"), R"("b")"),
    nothing_to_json(slice(R"("0","8","a","b")"), "01"),
    nothing_to_hex(slice(R"("0","8","a","b")"), R"("b")"),
    nothing_to_hex(slice(R"("-1","2","a","b")"), R"("b")"),
    // Only as many words as the range has codes can be sent.
    to_hex(slice(R"("6","7","a","b","c","d","e")"), R"("d")", "C0"),
    nothing_to_hex(slice(R"("6","7","a","b","c","d","e")"), R"("e")")));

}  // namespace
}  // namespace orx::parameters::test
