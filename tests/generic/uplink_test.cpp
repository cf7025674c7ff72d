// Generic uplink frames: the size check, and the position, parameter report and
// parameter request documents they become.

#include "support/converters.hpp"

#include "converter_utils.hpp"
#include "generic_request_converter.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>


namespace orx::test {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::ThrowsMessage;

constexpr const char* optional_access = "Attempted to access the value of an uninitialized optional object.";
const libs::core::timestamp time_stamp(1700000000123);

// x 1, y -2, z 300, sublocation 5, merit 64, three unread bytes, flags A4.
const std::string position_record = "00000001FFFFFFFE0000012C0540ZZZZZZA4";

std::string generic_frame(const std::string& command, const std::string& cmd_data) {
    return "010E00" + to_hex(cmd_data.size() / 2 + 2, 4) + command + cmd_data + "0011223344556677";
}

// What one frame or record is expected to give: the published text, or the
// failure, and the log lines.
struct uplink_case {
    const char* title;
    std::string input;
    std::string published;  // compact JSON, "" for nothing
    std::string error;      // part of the failure text, "" for none
    std::vector<log_line> logged = {};
};

class uplink : public ::testing::TestWithParam<uplink_case> {
protected:
    // Runs the conversion and compares what it publishes, raises and logs;
    // `published_part` picks what of the one document is compared.
    template <typename Convert, typename Part>
    void check(Convert&& convert, Part&& published_part) {
        const auto& c = GetParam();
        if (c.error.empty())
            convert(c.input);
        else
            EXPECT_THAT([&] { convert(c.input); }, ThrowsMessage<std::exception>(HasSubstr(c.error)));
        if (c.published.empty()) {
            EXPECT_THAT(handler.documents, IsEmpty());
        } else {
            ASSERT_EQ(handler.documents.size(), 1u);
            EXPECT_EQ(libs::core::json::to_string(published_part(handler.documents[0])), c.published);
        }
        const auto lines = log.all();
        ASSERT_EQ(lines.size(), c.logged.size());
        for (std::size_t i = 0; i < c.logged.size(); ++i) {
            EXPECT_EQ(lines[i].priority, c.logged[i].priority);
            EXPECT_THAT(lines[i].text, HasSubstr(c.logged[i].text));
        }
    }

    void check_frames(const char* topic) {
        check([this](const std::string& payload) { converter.convert(time_stamp, payload); },
              [topic](const published_document& published) {
                  EXPECT_EQ(published.topic, topic);
                  return published.document;
              });
    }

    test_logger log;
    parameters::config registry = make_registry(log.logger());
    recording_handler handler;
    generic_request_converter converter{log.logger(), handler, registry};
};

void PrintTo(const uplink_case& c, std::ostream* os) {
    *os << c.title;
}

std::string title(const ::testing::TestParamInfo<uplink_case>& info) {
    return info.param.title;
}

// ---- the frame's size field ----

using frames = uplink;
TEST_P(frames, are_checked_against_their_size) {
    check_frames("pos");
}

INSTANTIATE_TEST_SUITE_P(
    sizes, frames,
    ::testing::Values(
        uplink_case{"smallest_frame", "010E000000" "0011223344556677", "", ""},
        uplink_case{"size_one_on_smallest", "010E000001" "0011223344556677", "",
                    "Field \"size\" has a wrong value: (1) 010E0000010011223344556677"},
        uplink_case{"shorter_than_smallest", "010E000000" "00112233445566", "",
                    "Field \"size\" has a wrong value: (0) 010E00000000112233445566"},
        uplink_case{"size_one_too_large", "010E000015" "0020" + position_record + "0011223344556677", "",
                    "Field \"size\" has a wrong value: (21) "},
        uplink_case{"too_short_for_command_data", "010E000001" "0020" "00112233445566", "",
                    "cmd_data is too short: (0) "},
        uplink_case{"no_size_field", "010E00", "", optional_access},
        uplink_case{"size_not_hex", "010E00001G" "0011223344556677", "", optional_access},
        uplink_case{"other_message", "0104000001" "0011223344556677", "", ""},
        uplink_case{"too_short_for_a_code", "010", "", ""},
        uplink_case{"other_command", generic_frame("0030", position_record), "", ""},
        uplink_case{"position", generic_frame("0020", position_record),
                    R"({"data":{"fom":64,"inactive":true,"sl_id":5,"slvr_mode":"TDOA","x":1,"y":-2,"z":300},)"
                    R"("mac":"001122556677","ts":"2023-11-14T22:13:20.123Z"})",
                    ""},
        uplink_case{"position_record_too_short", generic_frame("0020", position_record.substr(0, 34)), "",
                    "cmd_data is too short: (17) 00000001FFFFFFFE0000012C0540ZZZZZZ"}),
    title);

// ---- position records ----

class positions : public uplink {
protected:
    void check_blocks() {
        const position_converter converter(log.logger(), handler);
        check([&](const std::string& tail) { converter.convert(time_stamp, position_record + tail, "001122556677"); },
              [](const published_document& published) {
                  // Only the members the extension blocks add.
                  Json::Value data = published.document["data"];
                  for (const auto* fixed : {"x", "y", "z", "sl_id", "fom", "slvr_mode", "inactive"})
                      data.removeMember(fixed);
                  return data;
              });
    }
};

using position_flags = positions;
TEST_P(position_flags, give_solver_mode_and_activity) {
    const position_converter converter(log.logger(), handler);
    check([&](const std::string& cmd_data) { converter.convert(time_stamp, cmd_data, "001122556677"); },
          [](const published_document& published) {
              return Json::Value(published.document["data"]["slvr_mode"].asString() + " " +
                                 published.document["data"]["inactive"].asString());
          });
}

INSTANTIATE_TEST_SUITE_P(
    flag_bytes, position_flags,
    ::testing::Values(uplink_case{"A4", position_record.substr(0, 34) + "A4", "\"TDOA true\"", ""},
                      uplink_case{"07", position_record.substr(0, 34) + "07", "\"HF false\"", ""},
                      uplink_case{"18", position_record.substr(0, 34) + "18", "\"NONE false\"", ""},
                      uplink_case{"DE", position_record.substr(0, 34) + "DE", "\"ULTDOA false\"", ""},
                      uplink_case{"35_characters", position_record.substr(0, 35), "",
                                  "cmd_data is too short: (17) " + position_record.substr(0, 35)},
                      uplink_case{"x_not_hex", "0000000G" + position_record.substr(8), "", optional_access}),
    title);

using extension_blocks = positions;
TEST_P(extension_blocks, add_their_members) {
    check_blocks();
}

INSTANTIATE_TEST_SUITE_P(
    tails, extension_blocks,
    ::testing::Values(
        uplink_case{"none", "", "{}", ""},
        uplink_case{"velocity", "0206FFFE0A00640B", R"({"ornt":100,"ornt_fom":11,"spd":-2,"spd_fom":10})", ""},
        uplink_case{"short_velocity_then_source", "0201AA0101BB", R"({"src":"BB"})", ""},
        uplink_case{"short_velocity_not_read", "0202ZZZZ", "{}", ""},
        uplink_case{"metrics_longer", "0304ABCDEF01", R"({"metrics":"ABCDEF"})", ""},
        uplink_case{"empty_source_then_source", "01000101DD", R"({"src":"DD"})", ""},
        uplink_case{"repeated_type_keeps_later", "0101AA0101BB", R"({"src":"BB"})", ""},
        uplink_case{"other_type_skipped", "0901FF0101CC", R"({"src":"CC"})", ""},
        uplink_case{"source_copied_as_text", "0101zz", R"({"src":"zz"})", ""},
        uplink_case{"truncated_block_ends_walk", "0105AB0101CC", "{}", ""},
        uplink_case{"short_tail_never_read", "0101AAZZZZ", R"({"src":"AA"})", ""},
        uplink_case{"longer_tail_is_read", "0101AAZZZZZ", "", optional_access},
        uplink_case{"velocity_not_hex", "0206ZZFE0A00640B", "", optional_access}),
    title);

// ---- parameter reports ----

std::string param_document(const std::string& data) {
    return R"({"data":)" + data + R"(,"mac":"001122556677","ts":"2023-11-14T22:13:20.123Z","type":"param"})";
}

using parameter_reports = uplink;
TEST_P(parameter_reports, give_the_decoded_values) {
    check_frames("param");
}

INSTANTIATE_TEST_SUITE_P(
    records, parameter_reports,
    ::testing::Values(
        uplink_case{"one_value", generic_frame("000E", "0102ABCD"), param_document(R"({"p1":43981})"), ""},
        uplink_case{"unknown_number", generic_frame("000E", "0902ABCD"), "", "",
                    {{7, "parameter_converter.cpp:"}}},
        uplink_case{"unknown_then_known", generic_frame("000E", "0902ABCD0301FF"), param_document(R"({"p3":-1})"), "",
                    {{7, "Unknown parameter: 9"}}},
        uplink_case{"zero_length_both_ways", generic_frame("000E", "07000800"),
                    param_document(R"({"p7":[],"p8":null})"), ""},
        uplink_case{"truncated_record", generic_frame("000E", "0105AB"), "", ""},
        uplink_case{"truncated_after_value", generic_frame("000E", "0301FF0105AB"), param_document(R"({"p3":-1})"), ""},
        uplink_case{"number_without_length", generic_frame("000E", "0301FF08"), param_document(R"({"p3":-1})"), ""},
        uplink_case{"repeated_keeps_later", generic_frame("000E", "0102000101021234"), param_document(R"({"p1":4660})"),
                    ""},
        uplink_case{"unreadable_value_left_out", generic_frame("000E", "0102ZZCD0301FF"), param_document(R"({"p3":-1})"),
                    "",
                    {{3, "Parameter p1 left out, its value could not be converted: std::exception::what(): "
                         "Attempted to access"}}},
        uplink_case{"header_not_hex", generic_frame("000E", "ZZ01"), "", optional_access},
        uplink_case{"too_short", generic_frame("000E", "03"), "", "cmd_data is too short: (1) 03"}),
    title);

std::string param_req_document(const std::string& names) {
    return R"({"data":{"req_plist":)" + names +
           R"(},"mac":"001122556677","ts":"2023-11-14T22:13:20.123Z","type":"param_req"})";
}

using parameter_requests = uplink;
TEST_P(parameter_requests, list_the_known_names) {
    check_frames("param");
}

INSTANTIATE_TEST_SUITE_P(
    entries, parameter_requests,
    ::testing::Values(
        uplink_case{"unknown_in_between", generic_frame("000F", "010002000300"), param_req_document(R"(["p1","p3"])"), "",
                    {{7, "Unknown parameter: 2"}}},
        uplink_case{"all_unknown", generic_frame("000F", "FF00"), param_req_document("[]"), "",
                    {{7, "Unknown parameter: 255"}}},
        uplink_case{"second_byte_and_odd_byte_unread", generic_frame("000F", "01ZZ0300ZZ"),
                    param_req_document(R"(["p1","p3"])"), ""},
        uplink_case{"number_not_hex", generic_frame("000F", "0100ZZ00"), "", optional_access},
        uplink_case{"too_short", generic_frame("000F", "01"), "", "cmd_data is too short: (1) 01"}),
    title);

}  // namespace
}  // namespace orx::test
