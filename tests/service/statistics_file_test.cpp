#include "support/service_process.hpp"

#include "statistics.hpp"

#include <core/exception.hpp>

#include <gtest/gtest.h>

#include <csignal>
#include <future>
#include <set>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using orx::write_file_atomically;
namespace test = orx::test;

mode_t kind_of(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? status.st_mode & S_IFMT : 0;
}

// The names in the folder other than `kept`.
std::vector<std::string> others(const test::temp_dir& dir, const std::set<std::string>& kept) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (!kept.count(entry.path().filename().string()))
            names.push_back(entry.path().filename().string());
    return names;
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
    // Past the file size limit a write fails (EFBIG, once SIGXFSZ does not end the process).
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit one_byte = saved;
    one_byte.rlim_cur = 1;
    ::setrlimit(RLIMIT_FSIZE, &one_byte);
    EXPECT_THROW(write_file_atomically(dir.file("f"), "xx"), orx::libs::core::exception);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(others(dir, {"fifo", "folder", "link"}), std::vector<std::string>{});
}

// Someone who may write into the folder places a link to another file, or a fifo,
// at the name the temporary file had: neither is written through or waited on.
TEST(statistics_file, is_written_past_a_link_or_a_fifo_placed_at_a_temporary_name) {
    const auto write_past = [](bool fifo) {
        SCOPED_TRACE(fifo ? "fifo" : "link");
        test::temp_dir dir;
        const auto placed = dir.file("f.tmp." + std::to_string(::getpid()));
        std::ofstream(dir.file("other")) << "kept";
        ASSERT_EQ(fifo ? ::mkfifo(placed.c_str(), 0600) : ::symlink(dir.file("other").c_str(), placed.c_str()), 0);
        auto write = std::async(std::launch::async, [&] { write_file_atomically(dir.file("f"), "x"); });
        if (write.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << "waits on the fifo";
            const int reader = ::open(placed.c_str(), O_RDONLY | O_NONBLOCK);  // lets the writer go on
            write.wait();
            ::close(reader);
        }
        write.get();
        EXPECT_EQ(test::read_file(dir.file("other")), "kept");
        EXPECT_EQ(kind_of(placed), fifo ? S_IFIFO : S_IFLNK);
        ASSERT_EQ(kind_of(dir.file("f")), S_IFREG);
        EXPECT_EQ(test::read_file(dir.file("f")), "x");
    };
    write_past(false);
    write_past(true);
}

}  // namespace
