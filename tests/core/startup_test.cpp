#include "support/service_process.hpp"

#include <core/exception.hpp>
#include <core/get_config_file_name.hpp>
#include <core/pid_file.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using orx::libs::core::exception;
using orx::libs::core::get_config_file_name;
using orx::libs::core::detail::check_pid;
using orx::libs::core::detail::write_pid;

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

void write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

// The pid of a process that has ended and been reaped.
pid_t dead_pid() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

TEST(pid_file, stale_or_meaningless_content_is_overwritten) {
    orx::test::temp_dir dir;
    const auto path = dir.file("pid");
    for (const std::string& content :
         {std::to_string(dead_pid()), std::string("not a number"), std::string("0"), std::string("-1"),
          std::string(""), std::string("99999999999")}) {
        write(path, content);
        EXPECT_NO_THROW(check_pid(path)) << content;
        write_pid(path);
        EXPECT_EQ(orx::test::read_file(path), std::to_string(getpid())) << content;
    }
    EXPECT_NO_THROW(check_pid(dir.file("absent")));
}

TEST(pid_file, live_process_refuses_and_keeps_the_file) {
    orx::test::temp_dir dir;
    const auto path = dir.file("pid");
    write(path, std::to_string(getpid()));
    try {
        check_pid(path);
        FAIL();
    } catch (const exception& e) {
        EXPECT_EQ(e.error(), "Process is running");
    }
    EXPECT_EQ(orx::test::read_file(path), std::to_string(getpid()));
}

}  // namespace
