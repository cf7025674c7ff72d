// The statistics textfile of a running service: written at start, replaced
// whole, and written a last time when the service stops.
#include "instance.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>

namespace {

using namespace orx::test;
using ::testing::HasSubstr;

TEST(statistics_textfile, last_write_on_stop_holds_every_count) {
    instance service([](service_configuration& c) { c.statistics_textfile = c.pidfile + ".prom"; });
    const auto& path = service.config.statistics_textfile;
    const std::string name = path.substr(path.rfind('/') + 1);

    // Sent once each, before the service is up: the inputs queue them.
    const std::string reboot = R"({"mac":"001122aabbcc","message":{"reboot":{}}})";
    service.peers->send_frame(frames::heartbeat);
    service.peers->send_request("not json");
    service.peers->send_request(reboot);

    // The first write comes at start, before any traffic.
    ASSERT_TRUE(wait_for_file(service.dir.path(), name)) << service.process->error_output();
    struct stat first {};
    ASSERT_EQ(::stat(path.c_str(), &first), 0);
    EXPECT_THAT(read_file(path), HasSubstr("# TYPE tarnwick_frames_received_total counter\n"));

    // Each input is fully handled in the turn that logs it: then a stop keeps its counts.
    ASSERT_TRUE(service.debug->wait_for("binary_input: " + frames::heartbeat, std::chrono::seconds(10)));
    ASSERT_TRUE(service.debug->wait_for("json_input: " + reboot));
    service.process->signal(SIGTERM);
    ASSERT_EQ(service.process->wait(), 0) << service.process->error_output();

    const auto text = read_file(path);
    for (const char* line : {"\ntarnwick_frames_received_total 1\n",
                             "\ntarnwick_documents_published_total{topic=\"event\"} 1\n",
                             "\ntarnwick_documents_published_total{topic=\"obsolete\"} 1\n",
                             "\ntarnwick_downlink_messages_sent_total 1\n",
                             "\ntarnwick_conversion_failures_total 0\n",
                             "\ntarnwick_json_parse_failures_total 1\n",
                             "\ntarnwick_tmp_output_dropped_total 0\n"})
        EXPECT_THAT(text, HasSubstr(line));

    // Replaced by a rename, never rewritten in place, and no temporary file stays.
    struct stat last {};
    ASSERT_EQ(::stat(path.c_str(), &last), 0);
    EXPECT_NE(first.st_ino, last.st_ino);
    EXPECT_EQ(folder_names(service.dir.path(), name), std::vector<std::string>{name});
}

TEST(statistics_textfile, unwritable_path_is_logged_and_the_service_runs_on) {
    instance service([](service_configuration& c) { c.statistics_textfile = c.pidfile + ".absent/tarnwick.prom"; });
    ASSERT_TRUE(service.wait_until_converting());
    service.process->signal(SIGTERM);
    ASSERT_EQ(service.process->wait(), 0);
    EXPECT_THAT(service.process->error_output(), HasSubstr("statistics: Cannot write "));
}

}  // namespace
