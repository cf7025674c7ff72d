#include <config_parser/config.hpp>
#include <core/json.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace {

namespace json = orx::libs::core::json;
namespace config = orx::libs::config;

struct document_case {
    std::string text;
    bool accepted;
};

std::string nested(int depth) { return "{\"a\":" + std::string(depth, '[') + std::string(depth, ']') + "}"; }

class one_document : public ::testing::TestWithParam<document_case> {};

// Requests and configuration files alike hold exactly one document; what is
// refused fails as a parse failure, never as an exception of another kind.
TEST_P(one_document, per_text) {
    const auto& c = GetParam();
    const auto parsed = json::try_parse(c.text);
    EXPECT_EQ(parsed.ok, c.accepted) << c.text.substr(0, 30) << ": " << parsed.error;
    std::istringstream stream(c.text), file(c.text);
    EXPECT_EQ(json::try_parse(stream).ok, c.accepted);
    if (c.accepted)
        EXPECT_NO_THROW(config::config::create<config::type::json>(file));
    else
        EXPECT_THAT([&] { config::config::create<config::type::json>(file); },
                    ::testing::ThrowsMessage<std::runtime_error>(::testing::StartsWith("Cannot parse json: ")));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(texts, one_document, ::testing::Values(
    document_case{"{\"a\":1}{\"a\":2}", false},
    document_case{"{\"a\":1} x", false},
    document_case{std::string("{\"a\":1}\0{\"a\":2}", 15), false},
    document_case{nested(5000), false},
    document_case{nested(100), true},
    document_case{"{\"a\":1} \r\n\t", true},
    document_case{"{\"a\":1} // end\n/* note */ ", true}));
// clang-format on

}  // namespace
