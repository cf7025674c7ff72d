#include <config_parser/config.hpp>

#include <boost/lexical_cast.hpp>
#include <boost/optional/optional_io.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace {

using namespace orx::libs::config;

struct outcome {
    std::string value;  // the value as text, for a successful lookup
    std::string reason;
};

using lookup = std::function<outcome(const config&)>;

template <typename T, typename... Keys>
lookup by_path(Keys... keys) {
    return [=](const config& doc) {
        const result<T> found = doc.get_by_path<T>({std::string(keys)...});
        return outcome{found.ok() ? boost::lexical_cast<std::string>(found.value()) : "", found.reason()};
    };
}

struct path_case {
    std::string document;
    lookup find;
    outcome expected;
};

class paths : public ::testing::TestWithParam<path_case> {};

TEST_P(paths, find_the_value_or_say_what_is_missing) {
    const auto& c = GetParam();
    std::istringstream stream(c.document);
    const outcome got = c.find(*config::create<type::json>(stream));
    EXPECT_EQ(got.value, c.expected.value);
    EXPECT_EQ(got.reason, c.expected.reason);
}

INSTANTIATE_TEST_SUITE_P(documents, paths, ::testing::Values(
    path_case{R"({"system":{"pidfile":"x"}})", by_path<std::string>("system", "pidfile"), {"x", ""}},
    path_case{R"({"system":{"pidfile":1}})", by_path<std::string>("system", "pidfile"),
              {"", "Can not find field <string>: system.pidfile"}},
    path_case{R"({"system":1})", by_path<std::string>("system", "pidfile"),
              {"", "Can not find object <object>: system, path: system.pidfile"}},
    path_case{R"({"a":{}})", by_path<bool>("a", "b", "c"), {"", "Can not find object <object>: a.b, path: a.b.c"}},
    path_case{R"({"a":{"b":"c"}})", by_path<bool>("a", "b", "c"), {"", "Can not find object <object>: a.b, path: a.b.c"}},
    path_case{R"({"a":{"b":{"c":true}}})", by_path<bool>("a", "b", "c"), {"1", ""}},
    path_case{R"({"flag":"yes"})", by_path<bool>("flag"), {"", "Can not find field <bool>: flag"}},
    path_case{R"({"flag":0})", by_path<bool>("flag"), {"", "Can not find field <bool>: flag"}}));

result<std::string> text(bool ok, const std::string& s) { return ok ? result<std::string>(s) : error_reason{s}; }
result<bool> flag(bool ok, const std::string& s) { return ok ? result<bool>(true) : error_reason{s}; }

struct chain_case {
    bool first, second, third;
    std::string reason;
};

class chains : public ::testing::TestWithParam<chain_case> {};

TEST_P(chains, keep_every_reason_in_order) {
    const auto& c = GetParam();
    const auto all = text(c.first, "one") + flag(c.second, "two") + text(c.third, "three");
    EXPECT_FALSE(all.ok());
    EXPECT_EQ(all.reason(), c.reason);
    EXPECT_FALSE(all.try_get());
    EXPECT_THAT([&] { all.value(); }, ::testing::ThrowsMessage<boost::bad_optional_access>(
                                          "Attempted to access the value of an uninitialized optional object."));
}

INSTANTIATE_TEST_SUITE_P(results, chains, ::testing::Values(
    chain_case{false, true, false, "one\nthree"},
    chain_case{false, false, false, "one\ntwo\nthree"},
    chain_case{true, false, true, "two"},
    chain_case{true, true, false, "three"}));

TEST(chains, successful_chain_holds_a_flat_tuple_in_chain_order) {
    const auto all = text(true, "a") + flag(true, "") + text(true, "b") + text(true, "c");
    ASSERT_TRUE(all.ok());
    EXPECT_EQ(all.reason(), "");
    EXPECT_EQ(all.value(), std::make_tuple(std::string("a"), true, std::string("b"), std::string("c")));
    EXPECT_EQ(all.try_get().value(), all.value());
}

}  // namespace
