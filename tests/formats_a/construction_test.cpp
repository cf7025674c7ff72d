#include "format_cases.hpp"

#include <sstream>

namespace formats_test {
namespace {

struct construction_case {
    std::string object;
    std::string outcome;  // the format built, "none", or "core: " and the error
};

std::ostream& operator<<(std::ostream& stream, const construction_case& c) { return stream << c.object; }

class construction : public ::testing::TestWithParam<construction_case> {};

TEST_P(construction, builds_the_format_or_rejects_it) {
    EXPECT_EQ(outcome_of([] {
                  const auto made = descriptor::create_from_json(json_of(GetParam().object));
                  return made ? std::string((*made)->get_type_name()) : "none";
              }),
              GetParam().outcome);
}

INSTANTIATE_TEST_SUITE_P(formats, construction, ::testing::Values(
    construction_case{R"({"jname":"x","format":"UINT","size":1})", "UINT"},
    construction_case{R"({"jname":"x","format":"INT","size":4})", "INT"},
    construction_case{R"({"jname":"x","format":"HEXSTRING","size":0})", "HEXSTRING"},
    construction_case{R"({"jname":"x","format":"STR"})", "STR"},
    construction_case{R"({"jname":"x","format":"HEXVAR"})", "HEXVAR"},
    construction_case{R"({"jname":"x","format":"BYTE_STR"})", "BYTE_STR"},
    construction_case{R"({"jname":"x","format":"BYTE_BOOL"})", "BYTE_BOOL"},
    construction_case{R"({"jname":"x","format":"BYTE_UINT"})", "BYTE_UINT"},
    construction_case{R"({"jname":"x","format":"BYTE_SLICE_UINT"})", "BYTE_SLICE_UINT"},
    construction_case{R"({"jname":"x","format":"SHIFT"})", "SHIFT"},
    construction_case{R"({"jname":"x","format":"MUL_UINT"})", "MUL_UINT"},
    construction_case{R"({"jname":"x","format":"uint","size":1})", "none"},
    construction_case{R"({"jname":"tx power","format":"UINT","size":3})", "core: Descriptor tx power size is incorrect"},
    construction_case{R"({"jname":"x","format":"INT"})", R"(core: Descriptor x must have a "size" field)"},
    construction_case{R"({"jname":"id","format":"HEXSTRING"})", R"(core: Descriptor id must have a "size" field)"},
    construction_case{R"({"jname":"p","format":"HEXVAR","fields":[{"jname":"f","format":"UINT","size":1}]})",
                      "core: Field f must have a offset field"}));

std::string dump(const std::string& object) {
    std::ostringstream stream;
    stream << *make(object);
    return stream.str();
}

TEST(descriptor_dump, lists_the_keys_that_are_set) {
    EXPECT_EQ(dump(R"({"num":5,"name":"Tx power","jname":"tx_power","format":"UINT","size":1})"),
              "num: 5, name: Tx power, jname: tx_power, format: UINT, readonly: false, size: 1, \n");
    EXPECT_EQ(dump(R"({"num":9,"name":"Led","jname":"led","format":"BYTE_STR","readonly":true,"args":["80","on",7]})"),
              "num: 9, name: Led, jname: led, format: BYTE_STR, readonly: true, args: 80, on, , \n");
}

TEST(zero_size_interpretation, is_read_only_from_its_exact_text) {
    EXPECT_TRUE(make(R"({"jname":"x","format":"STR","zero_size_interpretation":"empty_array"})")
                    ->get_zero_size_interpretation() == orx::parameters::zero_size_interpretation::EMPTY_ARRAY);
    EXPECT_FALSE(make(R"({"jname":"x","format":"STR","zero_size_interpretation":"EMPTY_ARRAY"})")
                     ->get_zero_size_interpretation());
}

}  // namespace
}  // namespace formats_test
