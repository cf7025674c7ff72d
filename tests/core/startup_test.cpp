#include "support/temp_dir.hpp"

#include <core/pid_file.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <limits>

#include <sys/types.h>
#include <unistd.h>

namespace {

// Zero and negative numbers address process groups, and a number beyond the pid
// range names no process even where its low bits are this process's id.
TEST(pid_file, numbers_that_name_no_process_are_no_obstacle) {
    orx::test::temp_dir dir;
    const long long beyond = (static_cast<long long>(std::numeric_limits<pid_t>::max()) + 1) * 2 + getpid();
    for (const std::string& content : {std::string("0"), std::string("-1"), std::to_string(beyond)}) {
        std::ofstream(dir.file("pid")) << content;
        EXPECT_NO_THROW(orx::libs::core::detail::check_pid(dir.file("pid"))) << content;
    }
}

}  // namespace
