#include "statistics.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::HasSubstr;

TEST(statistics, counts_documents_by_topic) {
    orx::statistics counts;
    counts.on_frame_received();
    counts.on_frame_received();
    counts.on_document_published("obsolete");
    counts.on_document_published("event");
    counts.on_document_published("obsolete");
    counts.on_downlink_sent();
    counts.on_conversion_failed();
    counts.on_json_parse_failed();
    counts.on_tmp_output_dropped();
    counts.on_connection_refused();
    EXPECT_EQ(counts.documents_published(), 3u);
    EXPECT_EQ(counts.summary(),
              "statistics: frames received 2, documents published 3 (event 1, obsolete 2), downlink messages sent 1, "
              "conversion failures 1, json parse failures 1, tmp_output dropped 1, connections refused 1");
    const auto text = counts.prometheus_text();
    EXPECT_THAT(text, HasSubstr("\ntarnwick_documents_published_total{topic=\"obsolete\"} 2\n"));
    EXPECT_THAT(text, HasSubstr("# TYPE tarnwick_frames_received_total counter\ntarnwick_frames_received_total 2\n"));
    EXPECT_THAT(text, HasSubstr("tarnwick_tmp_output_dropped_total 1\n"));
}

}  // namespace
