// The Debian package that `make package` leaves in the build folder, checked
// by scripts/check-package. Building it is left to `make package`: without a
// package the test is skipped.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include <dirent.h>
#include <sys/wait.h>

namespace {

bool package_built() {
    bool found = false;
    if (DIR* dir = ::opendir(TARNWICK_BINARY_DIR)) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.rfind("tarnwick_", 0) == 0 && name.size() > 4 && name.compare(name.size() - 4, 4, ".deb") == 0)
                found = true;
        }
        ::closedir(dir);
    }
    return found;
}

TEST(package, unpacked_service_accepts_its_installed_configuration) {
    if (!package_built())
        GTEST_SKIP() << "no package in " << TARNWICK_BINARY_DIR << " (make package builds it)";
    const std::string command =
        std::string(TARNWICK_SOURCE_DIR) + "/scripts/check-package " + TARNWICK_BINARY_DIR + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    std::array<char, 4096> buffer{};
    while (const auto read = std::fread(buffer.data(), 1, buffer.size(), pipe))
        output.append(buffer.data(), read);
    const int status = ::pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_THAT(output, ::testing::HasSubstr("check -t:   configuration ok\n")) << output;
}

}  // namespace
