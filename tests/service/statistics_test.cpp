#include "statistics.hpp"

#include <gtest/gtest.h>

// The line logged every minute; the textfile's counts are checked against a running service.
TEST(statistics, summary_counts_each_event_and_documents_by_topic) {
    orx::statistics counts;
    for (int i = 0; i < 2; ++i) {
        counts.on_frame_received();
        counts.on_document_published("obsolete");
        counts.on_downlink_sent();
        counts.on_tmp_output_dropped();
    }
    counts.on_document_published("event");
    counts.on_conversion_failed();
    counts.on_json_parse_failed();
    counts.on_connection_refused();
    EXPECT_EQ(counts.summary(),
              "statistics: frames received 2, documents published 3 (event 1, obsolete 2), downlink messages sent 2, "
              "conversion failures 1, json parse failures 1, tmp_output dropped 2, connections refused 1");
}
