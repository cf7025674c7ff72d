#include "conversion_table.hpp"

#include <core/exception.hpp>

#include <gmock/gmock.h>

#include <sstream>

namespace orx::parameters::test {
namespace {

struct rule_case {
    std::string object;
    std::string type_name;  // empty: no format is built
    boost::optional<uint32_t> size;
};

class format_rules : public ::testing::TestWithParam<rule_case> {};

TEST_P(format_rules, build_the_format_with_its_size) {
    const auto made = descriptor::create_from_json(json_of(GetParam().object));
    ASSERT_EQ(static_cast<bool>(made), !GetParam().type_name.empty());
    if (made) {
        EXPECT_EQ((*made)->get_type_name(), GetParam().type_name);
        EXPECT_EQ((*made)->get_size(), GetParam().size);
    }
}

INSTANTIATE_TEST_SUITE_P(accepted, format_rules, ::testing::Values(
    rule_case{R"({"format":"UINT","size":1})", "UINT", 1u},
    rule_case{R"({"format":"INT","size":4})", "INT", 4u},
    rule_case{R"({"format":"HEXSTRING","size":0})", "HEXSTRING", 0u},
    rule_case{R"({"format":"STR"})", "STR", boost::none},
    rule_case{R"({"format":"HEXVAR"})", "HEXVAR", boost::none},
    rule_case{R"({"format":"BYTE_STR"})", "BYTE_STR", boost::none},
    rule_case{R"({"format":"BYTE_BOOL"})", "BYTE_BOOL", boost::none},
    rule_case{R"({"format":"BYTE_UINT"})", "BYTE_UINT", boost::none},
    rule_case{R"({"format":"BYTE_SLICE_UINT"})", "BYTE_SLICE_UINT", boost::none},
    rule_case{R"({"format":"SHIFT"})", "SHIFT", boost::none},
    rule_case{R"({"format":"MUL_UINT"})", "MUL_UINT", boost::none},
    rule_case{R"({"format":"ARRAY","size":0})", "ARRAY", 0u},
    rule_case{R"({"format":"ARRAYVAR","size":3})", "ARRAYVAR", 3u},
    rule_case{R"({"format":"VARIABLE_SIZE_ARRAY","size":1})", "VARIABLE_SIZE_ARRAY", 1u},
    rule_case{R"({"format":"OBJECT"})", "OBJECT", boost::none},
    rule_case{R"({"format":"IPV4","size":7})", "IPV4", 4u},
    rule_case{R"({"format":"IPV6"})", "IPV6", 16u},
    rule_case{R"({"format":"BYTE_SLICE_VAR_LIST"})", "BYTE_SLICE_VAR_LIST", boost::none},
    rule_case{R"({"format":"VAR_LIST"})", "VAR_LIST", boost::none},
    rule_case{R"({"format":"VAR_LIST_WITH_VALUES"})", "VAR_LIST_WITH_VALUES", boost::none},
    rule_case{R"({"format":"uint","size":1})", "", boost::none}));

struct rejected_case {
    std::string object;
    std::string error;
};

class rejected_formats : public ::testing::TestWithParam<rejected_case> {};

TEST_P(rejected_formats, raise_their_text) {
    const auto object = json_of(GetParam().object);
    EXPECT_THAT([&] { descriptor::create_from_json(object); },
                ::testing::ThrowsMessage<libs::core::exception>(::testing::HasSubstr(GetParam().error)));
}

INSTANTIATE_TEST_SUITE_P(sizes, rejected_formats, ::testing::Values(
    rejected_case{R"({"jname":"tx power","format":"UINT","size":3})", "Descriptor tx power size is incorrect"},
    rejected_case{R"({"jname":"x","format":"INT"})", R"(Descriptor x must have a "size" field)"},
    rejected_case{R"({"jname":"id","format":"HEXSTRING"})", R"(Descriptor id must have a "size" field)"},
    rejected_case{R"({"jname":"p","format":"HEXVAR","fields":[{"jname":"f","format":"UINT","size":1}]})",
                  "Field f must have a offset field"},
    rejected_case{R"({"format":"ARRAY","jname":"a"})", "Descriptor a must have a \"size\" field"},
    rejected_case{R"({"format":"ARRAYVAR","jname":"b","size":0})",
                  "Descriptor b must have a \"size\" field with value greater than 0"},
    rejected_case{R"({"format":"VARIABLE_SIZE_ARRAY","jname":"c"})",
                  "Descriptor c must have a \"size\" field with value greater than 0"}));

std::string dump(const std::string& object) {
    std::ostringstream stream;
    stream << *build(object);
    return stream.str();
}

TEST(descriptor_dump, lists_the_keys_that_are_set) {
    EXPECT_EQ(dump(R"({"num":5,"name":"Tx power","jname":"tx_power","format":"UINT","size":1})"),
              "num: 5, name: Tx power, jname: tx_power, format: UINT, readonly: false, size: 1, \n");
    EXPECT_EQ(dump(R"({"num":9,"name":"Led","jname":"led","format":"BYTE_STR","readonly":true,"args":["80","on",7]})"),
              "num: 9, name: Led, jname: led, format: BYTE_STR, readonly: true, args: 80, on, , \n");
}

TEST(zero_size_interpretation, is_read_only_from_its_exact_text) {
    EXPECT_TRUE(build(R"({"jname":"x","format":"STR","zero_size_interpretation":"empty_array"})")
                    ->get_zero_size_interpretation() == zero_size_interpretation::EMPTY_ARRAY);
    EXPECT_FALSE(build(R"({"jname":"x","format":"STR","zero_size_interpretation":"EMPTY_ARRAY"})")
                     ->get_zero_size_interpretation());
}

}  // namespace
}  // namespace orx::parameters::test
