#include "support/service_process.hpp"

#include <core/exception.hpp>
#include <core/pid_file.hpp>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using orx::libs::core::pid_file;
using orx::test::read_file;

std::string refusal(const std::string& path) {
    try {
        pid_file second(path);
    } catch (const orx::libs::core::exception& e) {
        return e.error();
    }
    return "<started>";
}

// The lock alone says whether another instance runs: the number in the file,
// this very process's or any other live one's, does not refuse a start.
TEST(pid_file_lock, decides_alone_whether_another_instance_runs) {
    orx::test::temp_dir dir;
    const auto path = dir.file("pid");
    const auto own = std::to_string(getpid());
    for (const std::string& content : {own, std::string("1"), std::string("junk")}) {
        std::ofstream(path) << content;
        pid_file held(path);
        EXPECT_EQ(read_file(path), own);
        // A refused start leaves the file as the holder wrote it.
        std::ofstream(path) << content;
        EXPECT_EQ(refusal(path), "Process is running");
        EXPECT_EQ(read_file(path), content);
    }
    EXPECT_EQ(refusal(dir.file("no/such/folder")), "Error opening pid-file!");
}

}  // namespace
