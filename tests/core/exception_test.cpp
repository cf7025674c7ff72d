#include <core/constants.hpp>
#include <core/exception.hpp>
#include <core/scope_guard.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

using orx::libs::core::check_failed_exception;
using orx::libs::core::exception;
using orx::libs::core::exception_to_string;
using orx::libs::core::source_location;

const std::string root = orx::libs::core::constants::source_directory;

TEST(exception, describes_project_path_line_and_text) {
    struct where {
        int line;
        std::string file;
        const char* text;
    };
    for (const auto& c : {where{12, root + "/src/node_type.cpp", "/src/node_type.cpp:12 x"},
                          where{-3, root + "/a.cpp", "/a.cpp:-3 x"}, where{0, "", ":0 x"}}) {
        const exception e("x", c.file.empty() ? source_location() : source_location(c.line, c.file.c_str(), "f()"));
        EXPECT_STREQ(e.what(), c.text);
        EXPECT_EQ(exception_to_string(e), c.text);
    }
}

TEST(exception, check_keeps_the_condition_text_as_written) {
    const std::string buffer = "0";
    auto bytes = [](unsigned n) { return 2 * n; };
    try {
        const auto& _buffer = buffer;
        CORE_CHECK(_buffer.size() >= bytes( 2u ));
        FAIL() << "no exception";
    } catch (const check_failed_exception& e) {
        EXPECT_EQ(e.error(), "check failed: _buffer.size() >= bytes( 2u )");
        EXPECT_THAT(e.what(), ::testing::EndsWith(" check failed: _buffer.size() >= bytes( 2u )"));
        EXPECT_THAT(e.what(), ::testing::StartsWith("/tests/core/exception_test.cpp:"));
    }
}

struct caught_case {
    std::function<void()> raise;
    std::string text;
};

class exception_to_string_cases : public ::testing::TestWithParam<caught_case> {};

TEST_P(exception_to_string_cases, inside_catch) {
    std::string text;
    try {
        GetParam().raise();
    } catch (...) {
        text = exception_to_string();
    }
    EXPECT_EQ(text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    kinds, exception_to_string_cases,
    ::testing::Values(caught_case{[] { throw std::runtime_error("boom"); }, "std::exception::what(): boom"},
                      caught_case{[] { throw 42; }, "Unknown exception"},
                      caught_case{[] { throw exception("own", source_location()); }, ":0 own"}));

struct function_case {
    const char* signature;
    const char* expected;
};

class short_function_cases : public ::testing::TestWithParam<function_case> {};

TEST_P(short_function_cases, shortens_to_the_project_function) {
    const source_location location(1, "f", GetParam().signature);
    EXPECT_EQ(location.short_function(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    signatures, short_function_cases,
    ::testing::Values(
        function_case{"boost::optional<orx::gateway_message_parser::data> orx::gateway_message_parser::get_data(const "
                      "string_view&) const",
                      "orx::gateway_message_parser::get_data"},
        function_case{"orx::libs::core::timer_impl::reset_impl(orx::libs::core::timer::time_point)::<lambda(const "
                      "boost::system::error_code&)>",
                      "orx::libs::core::timer_impl::reset_impl"},
        function_case{"main(int, char**)::<lambda()>", "main(int, char**)::<lambda()>"},
        function_case{"no parenthesis here", "no parenthesis here"},
        function_case{"void f()", "void f()"},
        function_case{"int(", "int("}));

TEST(scope_guard, runs_once_and_never_after_a_move) {
    int runs = 0;
    {
        auto guard = orx::libs::core::execute_on_scope_exit([&] { ++runs; });
        auto moved = std::move(guard);
        EXPECT_EQ(runs, 0);
    }
    EXPECT_EQ(runs, 1);
    auto guard = orx::libs::core::execute_on_scope_exit([&] { ++runs; });
    guard.reset();
    EXPECT_EQ(runs, 2);
}

}  // namespace
