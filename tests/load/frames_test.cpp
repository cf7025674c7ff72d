#include "../../tools/tarnwick-load/endpoints.hpp"
#include "../../tools/tarnwick-load/frames.hpp"
#include "support/temp_dir.hpp"

#include <converter_utils.hpp>
#include <boost/optional/optional_io.hpp>
#include <core/timestamp.hpp>
#include <load_profile.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

namespace {

using namespace orx::load;
using orx::parse_number;
using testing::ElementsAre;
using testing::ElementsAreArray;

std::vector<std::string> topics_of(boost::string_view data) {
    std::vector<std::string> topics;
    for (const auto& document : orx::load_profile::documents_of(data))
        topics.push_back(document.m_topic.to_string());
    return topics;
}

// (type or number, length) of each block of a type-length-value walk.
std::vector<std::pair<int, int>> blocks_of(boost::string_view text) {
    std::vector<std::pair<int, int>> blocks;
    while (text.size() >= 4) {
        const int type = *parse_number<uint8_t>(text);
        const int length = *parse_number<uint8_t>(text.substr(2));
        blocks.push_back({type, length});
        text.remove_prefix(std::min(text.size(), std::size_t(4 + 2 * length)));
    }
    return blocks;
}

struct frame_case {
    std::string name;
    std::function<std::string()> data;
    std::size_t bytes;
    std::vector<std::string> topics;
};

class built_frames : public ::testing::TestWithParam<frame_case> {};

TEST_P(built_frames, have_their_lengths_and_yield_their_documents) {
    const auto& c = GetParam();
    const std::string data = c.data();
    EXPECT_EQ(data.size(), 2 * c.bytes);
    if (data.compare(0, 4, "010E") == 0) {
        EXPECT_EQ(*parse_number<uint16_t>(data.substr(6)), c.bytes - 13) << "generic size field S = N - 13";
    }

    const std::string frame = gateway_frame(counter_base_ms + 7, data);
    const auto read = orx::load_profile::read_frame(frame);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->m_timestamp_ms, counter_base_ms + 7);
    EXPECT_EQ(read->m_data, data);
    EXPECT_THAT(topics_of(data), ElementsAreArray(c.topics));
}

position_record with_blocks(bool source, bool velocity, bool metrics) {
    position_record position;
    position.m_source = source;
    position.m_velocity = velocity;
    position.m_metrics = metrics;
    return position;
}

INSTANTIATE_TEST_SUITE_P(
    kinds, built_frames,
    ::testing::Values(
        frame_case{"heartbeat", [] { return heartbeat_data(node_report{}); }, 47, {"obsolete", "event"}},
        frame_case{"announce", [] { return announce_data(node_report{}); }, 47, {"obsolete", "event"}},
        frame_case{"position", [] { return generic_data("0020", position_command({}), 1); }, 33, {"pos"}},
        frame_case{"position_with_blocks",
                   [] { return generic_data("0020", position_command(with_blocks(true, true, true)), 1); }, 49,
                   {"pos"}},
        frame_case{"parameter_report",
                   [] { return generic_data("000E", parameter_command({{2, "03"}, {3, "003C"}, {5, "FC"}}), 1); },
                   25, {"obsolete", "param"}}),
    [](const auto& info) { return info.param.name; });

TEST(frame_builders, put_every_field_in_its_place) {
    node_report report;
    report.m_node = 0x123456;
    report.m_node_type_code = 6;
    report.m_x = -1;
    report.m_z = -2;
    const auto heartbeat = heartbeat_data(report);
    EXPECT_EQ(heartbeat.substr(10, 2), "06");
    EXPECT_EQ(heartbeat.substr(14, 16), "0A1B2CFFFE123456");
    EXPECT_EQ(heartbeat.substr(54, 8), "FFFFFFFF");
    EXPECT_EQ(heartbeat.substr(74, 4), "FFFE");
    const auto announce = announce_data(report);
    EXPECT_EQ(announce.substr(14, 16), "0A1B2CFFFE123456");
    EXPECT_EQ(announce.substr(74, 4), "FFFE");

    const auto position = position_command(with_blocks(true, false, true));
    EXPECT_THAT(blocks_of(boost::string_view(position).substr(36)), ElementsAre(std::make_pair(1, 1), std::make_pair(3, 3)));
    EXPECT_THAT(blocks_of(position_command(with_blocks(false, true, false)).substr(36)),
                ElementsAre(std::make_pair(2, 6)));
    EXPECT_THAT(blocks_of(parameter_command({{2, "03"}, {3, "003C"}, {5, "FC"}})),
                ElementsAre(std::make_pair(2, 1), std::make_pair(3, 2), std::make_pair(5, 1)));

    const auto generic = generic_data("000E", "0201AA", 0xABCDEF);
    EXPECT_EQ(generic.substr(generic.size() - 16), "0A1B2CFFFEABCDEF");
}

struct shape_case {
    std::string name;
    std::string data;
    std::vector<std::string> topics;
};

class frame_shapes : public ::testing::TestWithParam<shape_case> {};

TEST_P(frame_shapes, yield_what_the_service_publishes) {
    EXPECT_THAT(topics_of(GetParam().data), ElementsAreArray(GetParam().topics));
}

std::string with_node_type(uint8_t code) {
    node_report report;
    report.m_node_type_code = code;
    return heartbeat_data(report);
}

std::string lower(std::string text) {
    for (auto& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

const std::string address = node_address(1);

INSTANTIATE_TEST_SUITE_P(
    profile, frame_shapes,
    ::testing::Values(
        shape_case{"heartbeat_type_9_is_fixed", with_node_type(9), {"obsolete", "event"}},
        shape_case{"heartbeat_type_0_has_no_event", with_node_type(0), {"obsolete"}},
        shape_case{"heartbeat_type_7_has_no_event", with_node_type(7), {"obsolete"}},
        shape_case{"announce_of_93_characters", announce_data({}).substr(0, 93), {"obsolete"}},
        shape_case{"lower_case_codes", lower(announce_data({})), {"obsolete", "event"}},
        shape_case{"generic_size_off_by_one", "010E000015" "0020" + position_command({}) + address, {}},
        shape_case{"report_with_wrong_size", "010E00000D000E0201AA" + address, {"obsolete"}},
        shape_case{"position_record_too_short", generic_data("0020", position_command({}).substr(0, 34), 1), {}},
        shape_case{"parameter_request", generic_data("000F", "02000300", 1), {"obsolete", "param"}},
        shape_case{"report_of_a_truncated_record", generic_data("000E", "0205AA", 1), {"obsolete"}},
        shape_case{"report_of_an_empty_record", generic_data("000E", "0200", 1), {"obsolete", "param"}},
        shape_case{"other_generic_command", generic_data("0030", "AABB", 1), {"obsolete"}},
        shape_case{"unknown_code", "0103" + address, {"obsolete"}}),
    [](const auto& info) { return info.param.name; });

struct read_case {
    std::string name;
    std::string hex;
    bool accepted;
};

class frame_reading : public ::testing::TestWithParam<read_case> {};

TEST_P(frame_reading, accepts_what_the_service_accepts) {
    EXPECT_EQ(static_cast<bool>(orx::load_profile::read_frame(GetParam().hex)), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(
    frames, frame_reading,
    ::testing::Values(read_case{"worked_example", "00065F5E100001F400080102030405060708", true},
                      read_case{"lower_case", "00065f5e100001f400080102030405060708", true},
                      read_case{"longer_stamp", "00085F5E100001F4FFFF00080102030405060708", true},
                      read_case{"trailing_hex", "00065F5E100001F400080102030405060708AB", true},
                      read_case{"stamp_of_5_bytes", "00055F5E100001000801020304050607FF", false},
                      read_case{"data_of_7_bytes", "00065F5E100001F4000701020304050607", false},
                      read_case{"data_longer_than_the_text", "00065F5E100001F4000901020304050607", false},
                      read_case{"no_data_length", "00065F5E100001F4", false},
                      read_case{"empty", "", false},
                      read_case{"non_hex_in_the_tail", "00065F5E100001F400080102030405060708 ", false}),
    [](const auto& info) { return info.param.name; });

TEST(frame_counter, travels_in_the_time_stamp_and_comes_back_from_ts) {
    std::string frame = gateway_frame(counter_base_ms, heartbeat_data({}));
    for (const int64_t counter : {int64_t{0}, int64_t{1}, int64_t{999}, int64_t{1000}, int64_t{86399999},
                                  int64_t{123456789012}, int64_t{-1}, int64_t{-1000}}) {
        set_frame_counter(frame, counter);
        const auto read = orx::load_profile::read_frame(frame);
        ASSERT_TRUE(read);
        // The service renders the time stamp like this in every document.
        const auto ts = orx::libs::core::timestamp(read->m_timestamp_ms).to_iso_8601(true, 'T', true);
        const std::string document = "~obsolete {\"hex\":\"0104\",\"mac\":\"0A1B2C000001\",\"ts\":\"" + ts + "\"}";
        EXPECT_EQ(counter_of_document(document), counter) << ts;
    }
}

TEST(frame_counter, is_not_read_from_malformed_texts) {
    for (const std::string text : {"~pos {\"ts\":\"2020-09-13 12:26:40.000Z\"}", "~pos {\"ts\":\"2020-09-13T12:26:40.0\"}",
                                   "~pos {\"ts\":\"2020-13-13T12:26:40.000Z\"}", "~pos {\"hex\":\"0104\"}",
                                   "~pos {\"ts\":\"2020-09-1xT12:26:40.000Z\"}"})
        EXPECT_FALSE(counter_of_document(text)) << text;
}

TEST(downlink_counter, travels_in_the_mac_and_comes_back_from_the_address) {
    for (const int64_t counter : {int64_t{0}, int64_t{7}, int64_t{0xFFFFFFFFFF}, int64_t{-1}, int64_t{-5}}) {
        const auto mac = request_mac(counter);
        ASSERT_EQ(mac.size(), 12u);
        // The downlink address widens the MAC with FFFE after its sixth character.
        const auto message = "080E00000600010002FFFF" + mac.substr(0, 6) + "FFFE" + mac.substr(6);
        EXPECT_EQ(counter_of_downlink(message), counter) << mac;
    }
    EXPECT_FALSE(counter_of_downlink("080E00000600010002FFFF0A1B2CFFFE000001"));
    EXPECT_FALSE(counter_of_downlink("FFFE"));
}

TEST(downlink_requests, alternate_parameter_set_and_reboot) {
    Json::CharReaderBuilder builder;
    for (const int64_t counter : {0, 1}) {
        Json::Value request;
        std::istringstream text(downlink_request(counter));
        ASSERT_TRUE(Json::parseFromStream(builder, text, &request, nullptr));
        EXPECT_EQ(request["mac"].asString(), request_mac(counter));
        EXPECT_EQ(request["message"].getMemberNames(),
                  std::vector<std::string>{counter == 0 ? "param_set" : "reboot"});
    }
}

TEST(builtin_mix, keeps_the_weights_and_sends_only_accepted_frames) {
    const auto frames = builtin_frames(mix{14, 4, 1, 1}, 500);
    ASSERT_EQ(frames.size(), 500u);
    std::size_t kinds[5] = {0, 0, 0, 0, 0};
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const auto& frame = frames[i];
        ++kinds[static_cast<std::size_t>(frame.m_kind)];
        const auto read = orx::load_profile::read_frame(frame.m_hex);
        ASSERT_TRUE(read) << frame.m_hex;
        EXPECT_EQ(frame.m_documents, frame.m_kind == frame_kind::POSITION ? 1u : 2u) << frame.m_hex;
        if (i > 0 && frame.m_kind != frame_kind::POSITION) {
            EXPECT_EQ(frames[i - 1].m_kind, frame_kind::POSITION) << "the rare kinds are spread out, at " << i;
        }
    }
    EXPECT_THAT(kinds, ElementsAre(350, 100, 25, 25, 0));
}

TEST(builtin_mix, weights_are_read_from_four_numbers) {
    EXPECT_EQ(parse_mix("0:1:2:30")->m_parameter_reports, 30u);
    for (const char* text : {"0:0:0:0", "1:2:3", "1:2:3:4:5", "a:1:1:1", "1::1:1", ""})
        EXPECT_FALSE(parse_mix(text)) << text;
}

TEST(capture, keeps_the_frames_the_service_accepts) {
    std::istringstream lines("# gateway capture\n"
                             "\n"
                             "00065F5E100001F400080102030405060708\r\n"
                             "  00065f5e100001f4002F" + lower(heartbeat_data({})) + "  \n"
                             "00065F5E100001F4000801020304050607zz\n");
    std::size_t refused = 0;
    const auto frames = capture_frames(lines, refused);
    EXPECT_EQ(refused, 1u);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].m_documents, 1u);
    EXPECT_EQ(frames[1].m_documents, 2u);
    EXPECT_EQ(frames[1].m_hex, "00065F5E100001F4002F" + heartbeat_data({}));
}

TEST(endpoints, wildcard_hosts_are_reached_on_the_loopback) {
    EXPECT_EQ(connectable("tcp://*:7001"), "tcp://127.0.0.1:7001");
    EXPECT_EQ(connectable("tcp://0.0.0.0:7006"), "tcp://127.0.0.1:7006");
    EXPECT_EQ(connectable("tcp://192.0.2.7:7001"), "tcp://192.0.2.7:7001");
    EXPECT_EQ(connectable("ipc:///tmp/x*"), "ipc:///tmp/x*");
}

TEST(endpoints, come_from_the_configuration_file_unless_an_option_names_them) {
    orx::test::temp_dir dir;
    const auto file = dir.file("service.json");
    std::ofstream(file) << "{ // the service's own file\n"
                           " \"binary\": {\"input\": \"tcp://*:7001\", \"output\": \"tcp://*:7003\"},\n"
                           " \"json\": {\"input\": \"tcp://*:7005\", \"output\": \"tcp://*:7006\"}}";
    endpoints options;
    options.m_json_output = "ipc:///tmp/documents";
    const auto chosen = resolve_endpoints(file, options);
    EXPECT_EQ(chosen.m_binary_input, "tcp://*:7001");
    EXPECT_EQ(chosen.m_binary_output, "tcp://*:7003");
    EXPECT_EQ(chosen.m_json_input, "tcp://*:7005");
    EXPECT_EQ(chosen.m_json_output, "ipc:///tmp/documents");

    std::ofstream(file) << "{\"binary\": {\"input\": \"tcp://*:7001\", \"output\": 7003}}";
    try {
        resolve_endpoints(file, {});
        ADD_FAILURE() << "a number is no endpoint";
    } catch (const std::runtime_error& e) {
        EXPECT_THAT(e.what(), testing::HasSubstr("binary.output"));
    }
}

}  // namespace
