#include <core/exception.hpp>
#include <core/get_config_file_name.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

using orx::libs::core::exception;
using orx::libs::core::get_config_file_name;

std::string name_from(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (auto& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return get_config_file_name(static_cast<int>(arguments.size()), argv.data());
}

std::string failure_of(std::vector<std::string> arguments) {
    try {
        name_from(std::move(arguments));
    } catch (const exception& e) {
        return e.error();
    }
    return "<none>";
}

TEST(command_line, takes_the_last_config_file) {
    EXPECT_EQ(name_from({"tarnwick", "-c", "a.json"}), "a.json");
    EXPECT_EQ(name_from({"tarnwick", "-c", "a.json", "-c", "b.json"}), "b.json");
    EXPECT_EQ(name_from({"tarnwick", "extra", "-c", "a.json"}), "a.json");
}

TEST(command_line, refuses_with_the_usage) {
    using ::testing::StartsWith;
    EXPECT_THAT(failure_of({"tarnwick", "-c"}), StartsWith("Usage: tarnwick -c config_file"));
    EXPECT_THAT(failure_of({"tarnwick", "-t"}), StartsWith("The configuration file is not defined!"));
}

}  // namespace
