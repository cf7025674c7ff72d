#include <config_parser/config.hpp>

#include <json/value.h>

#include <boost/optional/optional_io.hpp>
#include <boost/range/size.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using namespace orx::libs::config;
using ::testing::ElementsAre;
using ::testing::StartsWith;

config::ptr parse(const std::string& text) {
    std::istringstream stream(text);
    return config::create<type::json>(stream);
}

struct conversion_case {
    std::string member;  // the JSON text of member "v"
    boost::optional<bool> as_bool;
    boost::optional<int> as_int;
    boost::optional<double> as_double;
    boost::optional<std::string> as_string;
};

class conversions : public ::testing::TestWithParam<conversion_case> {};

TEST_P(conversions, are_strict) {
    const auto& c = GetParam();
    const auto doc = parse(R"({"v":)" + c.member + "}");
    const value& v = *doc->get_root().get_value("v");
    EXPECT_EQ(v.as_bool(), c.as_bool);
    EXPECT_EQ(v.as_int(), c.as_int);
    EXPECT_EQ(v.as_double(), c.as_double);
    EXPECT_EQ(v.as_string(), c.as_string);
    EXPECT_EQ(doc->get_root().get<int>("v"), c.as_int);
    EXPECT_EQ(doc->get_root().get<std::string>("v"), c.as_string);
}

INSTANTIATE_TEST_SUITE_P(members, conversions, ::testing::Values(
    conversion_case{R"("5")", {}, {}, {}, std::string("5")},
    conversion_case{"5", {}, 5, 5.0, {}},
    conversion_case{"2.0", {}, 2, 2.0, {}},
    conversion_case{"2.5", {}, {}, 2.5, {}},
    conversion_case{"true", true, {}, {}, {}},
    conversion_case{"false", false, {}, {}, {}},
    conversion_case{"null", {}, {}, {}, {}},
    conversion_case{"{}", {}, {}, {}, {}},
    conversion_case{"[1]", {}, {}, {}, {}}));

TEST(conversions, int_beyond_32_bits_raises_range_error) {
    const auto doc = parse(R"({"v":3000000000})");
    EXPECT_THROW(doc->get_root().get_value("v")->as_int(), Json::LogicError);
    EXPECT_EQ(doc->get_root().get<double>("v"), 3e9);
}

// Many sibling objects and arrays make any container that moves its elements
// while the tree grows leave dangling references behind.
TEST(tree, references_stay_valid_for_deep_nesting_and_arrays_of_objects) {
    std::string text = R"({"items":[)";
    for (int i = 0; i < 200; ++i)
        text += std::string(i ? "," : "") + R"({"id":)" + std::to_string(i) + R"(,"deep":{"a":{"b":{"c":[[)" +
                std::to_string(i) + "]]}}}}";
    text += "]}";
    const auto doc = parse(text);

    int expected = 0;
    const value::range items = *doc->get_root().get_value("items")->as_array();
    for (const value& item : items) {
        const dictionary& object = *item.as_object();
        EXPECT_EQ(object.get<int>("id"), expected);
        const dictionary& b = *object.get_value("deep")->as_object()->get_value("a")->as_object()
                                   ->get_value("b")->as_object();
        const value::range outer = *b.get_value("c")->as_array();
        const value::range inner = *outer.begin()->as_array();
        EXPECT_EQ(boost::size(inner), 1);
        EXPECT_EQ(inner.begin()->as_int(), expected);
        ++expected;
    }
    EXPECT_EQ(expected, 200);
}

TEST(tree, keys_come_in_byte_order) {
    EXPECT_THAT(parse(R"({"b":1,"a":2,"B":3,"a b":4})")->get_root().get_keys(), ElementsAre("B", "a", "a b", "b"));
}

TEST(tree, comments_leave_no_trace) {
    const auto doc = parse("{\n// first\n\"a\": 1, /* between */ \"b\": {\"c\": true} // last\n}");
    EXPECT_THAT(doc->get_root().get_keys(), ElementsAre("a", "b"));
    EXPECT_THAT(doc->get_root().get_value("b")->as_object()->get_keys(), ElementsAre("c"));
}

TEST(tree, top_level_other_than_object_gives_empty_root) {
    EXPECT_TRUE(parse("[1, {\"a\": 2}]")->get_root().get_keys().empty());
    EXPECT_TRUE(parse("7")->get_root().get_keys().empty());
}

class bad_documents : public ::testing::TestWithParam<std::string> {};

TEST_P(bad_documents, fail_with_the_readers_report) {
    EXPECT_THAT([&] { parse(GetParam()); },
                ::testing::ThrowsMessage<std::runtime_error>(StartsWith("Cannot parse json: * Line ")));
}

INSTANTIATE_TEST_SUITE_P(texts, bad_documents,
                         ::testing::Values(R"({"a": {"b": 1})", "not json", R"({"a" 1})"));

TEST(bad_documents, unreadable_stream_fails_like_empty_text) {
    std::ifstream missing("/nonexistent/folder/config.json");
    EXPECT_THAT([&] { config::create<type::json>(missing); },
                ::testing::ThrowsMessage<std::runtime_error>(StartsWith("Cannot parse json: * Line 1, Column 1")));
}

}  // namespace
