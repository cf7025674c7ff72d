// The statistics textfile of a running service: written at start, and replaced whole by a last
// write when the service stops, which holds every count.
#include "support/service_fixture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using namespace orx::test;
using ::testing::HasSubstr;

TEST(statistics_textfile, is_written_at_start_and_holds_every_count_after_the_stop) {
    service s([](service_configuration& c) { c.statistics_textfile = c.pidfile + ".prom"; });
    const char* path = s.config.statistics_textfile.c_str();
    struct stat first {
    }, last{};
    ASSERT_TRUE(wait_in_folder(s.dir.path(), [&] { return ::stat(path, &first) == 0; }));
    send(s.frames, {frames::heartbeat});
    send(s.requests, {"not json"});
    send(s.requests, {frames::reboot_request});
    // Each input is wholly handled in the turn that logs it: a stop after the line keeps its counts.
    ASSERT_TRUE(s.logged("binary_input: " + frames::heartbeat));
    ASSERT_TRUE(s.logged("json_input: " + frames::reboot_request));
    s.process->signal(SIGTERM);
    ASSERT_EQ(s.process->wait(), 0) << s.process->error_output();

    const auto text = read_file(path);
    for (const char* line : {"\ntarnwick_frames_received_total 1\n", "\ntarnwick_downlink_messages_sent_total 1\n",
                             "\ntarnwick_documents_published_total{topic=\"event\"} 1\n",
                             "\ntarnwick_documents_published_total{topic=\"obsolete\"} 1\n",
                             "\ntarnwick_conversion_failures_total 0\n", "\ntarnwick_json_parse_failures_total 1\n"})
        EXPECT_THAT(text, HasSubstr(line));
    // Replaced by a rename, never written in place.
    ASSERT_EQ(::stat(path, &last), 0);
    EXPECT_NE(first.st_ino, last.st_ino);
}

}  // namespace
