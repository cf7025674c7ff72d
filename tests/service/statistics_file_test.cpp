#include "support/service_process.hpp"

#include "statistics.hpp"

#include <core/exception.hpp>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using orx::write_file_atomically;
namespace test = orx::test;

mode_t kind_of(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? status.st_mode & S_IFMT : 0;
}

// Only a regular file, or nothing yet, is written over; anything else the path
// names stays as it was.
TEST(statistics_file, is_written_only_over_a_regular_file) {
    test::temp_dir dir;
    write_file_atomically(dir.file("f"), "old");
    const std::function<void(const std::string&)> make[] = {
        [](const std::string& p) { ::mkfifo(p.c_str(), 0600); },
        [](const std::string& p) { ::mkdir(p.c_str(), 0700); },
        [&](const std::string& p) { (void)!::symlink(dir.file("f").c_str(), p.c_str()); }};
    int count = 0;
    for (const auto& made : make) {
        const auto path = dir.file("p" + std::to_string(++count));
        made(path);
        const auto kind = kind_of(path);
        EXPECT_THROW(write_file_atomically(path, "x"), orx::libs::core::exception);
        EXPECT_EQ(kind_of(path), kind);
        EXPECT_EQ(kind_of(path + ".tmp." + std::to_string(getpid())), 0u);
    }
    write_file_atomically(dir.file("f"), "new");
    EXPECT_EQ(test::read_file(dir.file("f")), "new");
}

TEST(statistics_file, failed_write_leaves_no_temporary_file) {
    test::temp_dir dir;
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    const auto signal_before = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 4;
    ::setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(write_file_atomically(dir.file("f"), std::string(100000, 'x')), orx::libs::core::exception);
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, signal_before);
    EXPECT_EQ(kind_of(dir.file("f.tmp." + std::to_string(getpid()))), 0u);
    EXPECT_EQ(kind_of(dir.file("f")), 0u);
}

}  // namespace
