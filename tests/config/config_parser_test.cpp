#include <config_parser/config.hpp>

#include <boost/lexical_cast.hpp>
#include <boost/optional/optional_io.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace orx::libs::config;

config::ptr parse(const std::string& text) {
    std::istringstream stream(text);
    return config::create<type::json>(stream);
}

TEST(document, converts_members_only_to_their_own_kind) {
    const auto doc = parse(R"({"s":"5","i":2.0,"r":2.5,"b":true,"n":null})");
    const dictionary& root = doc->get_root();
    EXPECT_EQ(root.get<std::string>("s"), std::string("5"));
    EXPECT_EQ(root.get<int>("s"), boost::none);
    EXPECT_EQ(root.get<int>("i"), 2);
    EXPECT_EQ(root.get<int>("r"), boost::none);
    EXPECT_EQ(root.get<double>("r"), 2.5);
    EXPECT_EQ(root.get<bool>("b"), true);
    EXPECT_EQ(root.get<std::string>("n"), boost::none);
    EXPECT_EQ(root.get<int>("absent"), boost::none);
}

// Many sibling objects and arrays make a container that moves its elements while
// the tree grows leave dangling references behind.
TEST(document, keeps_its_references_valid_and_keys_in_byte_order) {
    std::string text = R"({"items":[)";
    for (int i = 0; i < 200; ++i)
        text += (i ? R"(,{"c":[[)" : R"({"c":[[)") + std::to_string(i) + "]]}";
    const auto doc = parse(text + "]}");
    int expected = 0;
    const value::range items = *doc->get_root().get_value("items")->as_array();
    for (const value& item : items) {
        const value::range outer = *item.as_object()->get_value("c")->as_array();
        EXPECT_EQ((*outer.begin()->as_array()).begin()->as_int(), expected++);
    }
    EXPECT_EQ(expected, 200);
    EXPECT_THAT(parse(R"({"b":1,"a":2,"B":3,"a b":4})")->get_root().get_keys(),
                ::testing::ElementsAre("B", "a", "a b", "b"));
    EXPECT_TRUE(parse(R"([1, {"a": 2}])")->get_root().get_keys().empty());
    EXPECT_THAT([] { parse(R"({"a" 1})"); },
                ::testing::ThrowsMessage<std::runtime_error>(::testing::StartsWith("Cannot parse json: ")));
}

// The value at `path`, as text, or the reason why there is none.
template <typename T>
std::string lookup(const std::string& document, std::initializer_list<std::string> path) {
    const result<T> found = parse(document)->get_by_path<T>(path);
    return found.ok() ? boost::lexical_cast<std::string>(found.value()) : found.reason();
}

TEST(lookups, find_the_value_or_say_what_is_missing) {
    EXPECT_EQ(lookup<std::string>(R"({"system":{"pidfile":"x"}})", {"system", "pidfile"}), "x");
    EXPECT_EQ(lookup<std::string>(R"({"system":{"pidfile":1}})", {"system", "pidfile"}),
              "Can not find field <string>: system.pidfile");
    EXPECT_EQ(lookup<std::string>(R"({"system":1})", {"system", "pidfile"}),
              "Can not find object <object>: system, path: system.pidfile");
    EXPECT_EQ(lookup<bool>(R"({"a":{"b":"c"}})", {"a", "b", "c"}), "Can not find object <object>: a.b, path: a.b.c");
    EXPECT_EQ(lookup<bool>(R"({"a":{"b":{"c":true}}})", {"a", "b", "c"}), "1");
    EXPECT_EQ(lookup<bool>(R"({"a":{"b":{"c":0}}})", {"a", "b", "c"}), "Can not find field <bool>: a.b.c");
}

result<std::string> text(bool ok, const std::string& s) { return ok ? result<std::string>(s) : error_reason{s}; }
result<bool> flag(bool ok, const std::string& s) { return ok ? result<bool>(true) : error_reason{s}; }

TEST(results, combine_to_one_flat_tuple_or_every_reason_in_order) {
    const auto all = text(true, "a") + flag(true, "") + text(true, "b");
    EXPECT_EQ(all.value(), std::make_tuple(std::string("a"), true, std::string("b")));
    EXPECT_EQ((text(false, "one") + flag(true, "") + text(false, "three")).reason(), "one\nthree");
    EXPECT_EQ((text(true, "") + flag(false, "two") + text(true, "")).reason(), "two");
    EXPECT_FALSE((text(true, "") + flag(false, "two")).try_get());
    EXPECT_THROW((text(true, "") + flag(false, "two")).value(), boost::bad_optional_access);
}

}  // namespace
