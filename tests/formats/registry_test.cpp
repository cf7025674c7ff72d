// The parameter registry as its lookups show it: what a parameter file loads and what it refuses.
#include <parameter_config/config.hpp>

#include <core/exception.hpp>
#include <core/logger.hpp>

#include <boost/optional/optional_io.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace orx::parameters {
namespace {

libs::core::logger test_logger("tarnwick", "test", libs::core::system_log::create_silent());

// A registry loaded from a parameter file whose "hw_param" array holds `entries`.
config load(const std::string& entries) {
    std::istringstream stream(R"({"hw_param":[)" + entries + "]}");
    return config(test_logger, stream);
}

// What the registry holds, in ascending number: each parameter's number, JSON name, format, size
// and arguments, a composite's fields after it under their offsets.
std::vector<std::string> held(const config& registry) {
    std::vector<std::string> out;
    std::function<bool(const descriptor&)> describe = [&](const descriptor& d) {
        std::string text = d.get_num() ? std::to_string(*d.get_num()) : "  @" + std::to_string(*d.get_offset());
        text += " " + std::string(d.get_jname()) + " " + std::string(d.get_type_name());
        if (d.get_size())
            text += " " + std::to_string(*d.get_size());
        for (const auto& arg : d.get_args())
            text += " '" + arg + "'";
        out.push_back(text);
        return d.for_each_field(describe);
    };
    registry.for_each_parameter(describe);
    return out;
}

// Unknown formats (names are upper case) are left out, fields too; of repeated numbers the first
// stays; a repeated name stays with its number, but finds the first; address formats have their
// own size; arguments that are no string are kept empty.
TEST(registry, keeps_known_formats_and_the_first_of_repeated_numbers_and_names) {
    const auto parameters = load(R"(
        {"num":3,"name":"Mode","jname":"mode","format":"BYTE_STR","args":["1","on",7],
         "zero_size_interpretation":"empty_array"},
        {"num":2,"jname":"lower","format":"uint","size":1}, {"num":3,"jname":"again","format":"HEXVAR"},
        {"num":4,"jname":"mode","format":"IPV4","size":7,"zero_size_interpretation":"EMPTY_ARRAY"},
        {"num":5,"jname":"v6","format":"IPV6"},
        {"num":1.0,"name":"Id","jname":"id","format":"OBJECT","readonly":true,"fields":[
            {"offset":255,"jname":"f","format":"FLOAT"},{"offset":255,"jname":"b","format":"HEXSTRING","size":255}]})");
    EXPECT_THAT(held(parameters),
                ::testing::ElementsAre("1 id OBJECT", "  @255 b HEXSTRING 255", "3 mode BYTE_STR '1' 'on' ''",
                                       "4 mode IPV4 4", "5 v6 IPV6 16"));
    EXPECT_THAT(
        parameters.skipped_entries(),
        ::testing::ElementsAre(R"(entry skipped, its format is not known: num 2, jname "lower", format "uint")"));
    EXPECT_EQ(parameters.get_descriptor(std::string("mode"))->get_num(), 3u);
    EXPECT_FALSE(parameters.get_descriptor(std::string("Mode")));
    EXPECT_TRUE(parameters.get_descriptor(3u)->get_zero_size_interpretation() == zero_size_interpretation::EMPTY_ARRAY);
    EXPECT_FALSE(parameters.get_descriptor(4u)->get_zero_size_interpretation());
}

using namespace ::testing;

struct refusal {
    std::string entries;
    Matcher<const std::string&> error;
};

class refused_files : public TestWithParam<refusal> {};

TEST_P(refused_files, name_the_parameter) {
    EXPECT_THAT([] { load(GetParam().entries); },
                Throws<libs::core::exception>(Property(&libs::core::exception::error, GetParam().error)));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(entries, refused_files, Values(
    refusal{R"({"jname":"tx power","format":"UINT","size":3})", Eq("Descriptor tx power size is incorrect")},
    refusal{R"({"jname":"x","format":"INT"})", Eq(R"(Descriptor x must have a "size" field)")},
    refusal{R"({"jname":"id","format":"HEXSTRING"})", Eq(R"(Descriptor id must have a "size" field)")},
    refusal{R"({"jname":"a","format":"ARRAY"})", Eq(R"(Descriptor a must have a "size" field)")},
    refusal{R"({"jname":"b","format":"ARRAYVAR","size":0})",
            Eq(R"(Descriptor b must have a "size" field with value greater than 0)")},
    refusal{R"({"jname":"c","format":"VARIABLE_SIZE_ARRAY"})",
            Eq(R"(Descriptor c must have a "size" field with value greater than 0)")},
    refusal{R"({"num":1,"jname":"p","format":"OBJECT","fields":[{"jname":"f","format":"STR"}]})",
            Eq("Field f must have a offset field")},
    refusal{R"({"num":1,"jname":"p","format":"STR"},{"jname":"q","format":"STR"})",
            Eq(R"(Parameter q must have a "num" field)")},
    refusal{"{", StartsWith("Parameter config file is invalid: ")},
    refusal{R"({"num":3.7,"jname":"p","format":"STR"})",
            Eq(R"(Descriptor p: "num" must be a whole number from 0 to 4294967295)")},
    refusal{R"({"num":1,"jname":"p","format":"HEXSTRING","size":256})",
            Eq(R"(Descriptor p: "size" must be a whole number from 0 to 255)")},
    refusal{R"({"num":1,"jname":"p","format":"OBJECT","fields":[{"offset":256,"jname":"f","format":"STR"}]})",
            Eq(R"(Descriptor f: "offset" must be a whole number from 0 to 255)")},
    refusal{R"({"num":1,"jname":"p","format":"STR","readonly":1})",
            Eq(R"(Descriptor p: "readonly" must be true or false)")},
    refusal{R"({"num":1,"jname":null,"format":"STR"})", Eq(R"(Descriptor null: "jname" must be a string)")}));
// clang-format on

}  // namespace
}  // namespace orx::parameters
