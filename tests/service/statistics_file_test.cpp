#include "support/service_process.hpp"

#include "statistics.hpp"

#include <core/exception.hpp>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using orx::write_file_atomically;
namespace test = orx::test;

mode_t kind_of(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? status.st_mode & S_IFMT : 0;
}

// Only a regular file, or nothing yet, is written over: anything else the path
// names stays what it was. A write that fails leaves no temporary file.
TEST(statistics_file, is_written_only_over_a_regular_file_and_leaves_no_temporary_file) {
    test::temp_dir dir;
    ::mkfifo(dir.file("fifo").c_str(), 0600);
    ::mkdir(dir.file("folder").c_str(), 0700);
    (void)!::symlink(dir.file("file").c_str(), dir.file("link").c_str());
    for (const char* name : {"fifo", "folder", "link"}) {
        const auto kind = kind_of(dir.file(name));
        EXPECT_THROW(write_file_atomically(dir.file(name), "x"), orx::libs::core::exception) << name;
        EXPECT_EQ(kind_of(dir.file(name)), kind) << name;
    }
    // Every write to /dev/full fails; the temporary file here is a link to it.
    ASSERT_EQ(kind_of("/dev/full"), S_IFCHR);
    const auto temporary = dir.file("f.tmp." + std::to_string(getpid()));
    (void)!::symlink("/dev/full", temporary.c_str());
    EXPECT_THROW(write_file_atomically(dir.file("f"), "x"), orx::libs::core::exception);
    EXPECT_EQ(kind_of(temporary), 0u);
}

}  // namespace
