// The configuration converter takes each numeric field only as a whole number that
// its field can hold, and "ntype" only as a text; anything else sends nothing.

#include "support/converters.hpp"

#include "configuration_converter.hpp"

#include <core/exception.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::ThrowsMessage;

struct field_case {
    std::string replaced;  // members that replace those of a sound configuration
    std::string error;     // start of the failure text, or empty when the member is taken
};

void PrintTo(const field_case& c, std::ostream* os) { *os << c.replaced; }

class configuration_fields : public ::testing::TestWithParam<field_case> {};

TEST_P(configuration_fields, are_taken_only_when_the_field_can_hold_them) {
    test_logger log;
    recording_handler handler;
    Json::Value member =
        parse(R"({"node_id":258,"pos_freq":10,"ntype":"FIXED","sublocation_id":1,"x":-1,"y":1000,"z":150,"sl_z":-2})");
    const Json::Value replaced = parse(GetParam().replaced);
    for (const auto& key : replaced.getMemberNames())
        member[key] = replaced[key];

    uint8_t number = 7;
    const configuration_converter converter(log.logger(), handler);
    if (GetParam().error.empty()) {
        converter.convert(member, "080E", number, "0011223344556677");
        // node_id, 1E, pos_freq, ntype, sublocation_id, x, y, sl_z, z
        // clang-format off
        EXPECT_THAT(handler.messages, ElementsAre("080E07001500CF" "FFFF1EFF010000" "80000000" "7FFFFFFF" "7FFF"
                                                  "8000" "0011223344556677"));
        // clang-format on
        EXPECT_EQ(number, 8);
        return;
    }
    EXPECT_THAT([&] { converter.convert(member, "080E", number, "0011223344556677"); },
                ThrowsMessage<libs::core::exception>(HasSubstr(GetParam().error)));
    EXPECT_THAT(handler.messages, IsEmpty());
    EXPECT_EQ(number, 7);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    members, configuration_fields,
    ::testing::Values(
        // The widest values each field holds; whole numbers written as reals count.
        field_case{R"({"node_id":65535,"pos_freq":255.0,"sublocation_id":0,"x":-2147483648,"y":2147483647.0,
                       "z":-32768,"sl_z":32767})", ""},
        field_case{R"({"x":null})", R"(Field "x" must be a whole number)"},
        field_case{R"({"pos_freq":true})", R"(Field "pos_freq" must be)"},
        field_case{R"({"y":"5"})", R"(Field "y" must be)"},
        field_case{R"({"node_id":1.5})", R"(Field "node_id" must be)"},
        field_case{R"({"ntype":2})", R"(Field "ntype" must be a text)"},
        field_case{R"({"node_id":65536})", R"(Field "node_id" must be)"},
        field_case{R"({"pos_freq":256})", R"(Field "pos_freq" must be)"},
        field_case{R"({"sublocation_id":-1})", R"(Field "sublocation_id" must be)"},
        field_case{R"({"x":2147483648})", R"(Field "x" must be)"},
        field_case{R"({"z":-32769})", R"(Field "z" must be)"},
        field_case{R"({"sl_z":1e30})", R"(Field "sl_z" must be)"}));
// clang-format on

}  // namespace
}  // namespace orx::test
