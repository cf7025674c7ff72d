// The Debian package that `make package` leaves in the build folder passes scripts/check-package:
// its files, conffiles, dependencies and unit, and the unpacked service accepts its installed
// configuration. Without a package (the script's status 2) the test is skipped.
#include <gtest/gtest.h>

#include <cstdlib>

#include <sys/wait.h>

TEST(package, passes_its_check) {
    const int status = std::system(TARNWICK_SOURCE_DIR "/scripts/check-package " TARNWICK_BINARY_DIR);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "no package in " TARNWICK_BINARY_DIR " (make package builds one)";
    EXPECT_EQ(status, 0);
}
