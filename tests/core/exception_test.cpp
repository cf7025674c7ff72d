#include <core/constants.hpp>
#include <core/exception.hpp>

#include <gmock/gmock.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace {

using orx::libs::core::exception;
using orx::libs::core::source_location;

const std::string file = std::string(orx::libs::core::constants::source_directory) + "/src/a.cpp";

TEST(exception, caught_ones_become_one_line_of_text) {
    using caught_case = std::pair<std::function<void()>, std::string>;  // raise, text
    for (const auto& [raise, text] : {
             caught_case{[] { throw exception("Unknown node_type", source_location(12, file.c_str(), "f")); },
                         "/src/a.cpp:12 Unknown node_type"},
             caught_case{[] { throw exception("x", source_location(-3, file.c_str(), "f")); }, "/src/a.cpp:-3 x"},
             caught_case{[] { throw exception("x", source_location()); }, ":0 x"},
             caught_case{[] { throw std::runtime_error("boom"); }, "std::exception::what(): boom"},
             caught_case{[] { throw 42; }, "Unknown exception"},
         }) {
        try {
            raise();
        } catch (...) {
            EXPECT_EQ(orx::libs::core::exception_to_string(), text);
        }
    }
}

TEST(exception, check_keeps_the_condition_text_as_written) {
    const std::string _buffer = "0";
    auto bytes = [](unsigned n) { return 2 * n; };
    // clang-format off
    const auto line = std::to_string(__LINE__ + 1);
    EXPECT_THAT([&] { CORE_CHECK(_buffer.size() >= bytes( 2u )); },
                ::testing::ThrowsMessage<orx::libs::core::check_failed_exception>(
                    ::testing::EndsWith(":" + line + " check failed: _buffer.size() >= bytes( 2u )")));
    // clang-format on
}

TEST(source_location, short_function_is_the_project_function_name) {
    for (const auto& [signature, expected] : std::vector<std::pair<const char*, const char*>>{
             {"boost::optional<orx::p::data> orx::p::get(const string_view&) const", "orx::p::get"},
             {"void orx::timer::reset(orx::time_point)::<lambda(const orx::error&)>", "orx::timer::reset"},
             {"main(int, char**)::<lambda()>", "main(int, char**)::<lambda()>"}})
        EXPECT_EQ(source_location(1, "f", signature).short_function(), expected);
}

}  // namespace
