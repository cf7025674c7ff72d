// Generic uplink frames: the size check, and the position, parameter report and
// parameter request documents they become.

#include "support/converters.hpp"

#include "converter_utils.hpp"
#include "generic_request_converter.hpp"

namespace orx::test {
namespace {

struct frame_case {
    const char* name;
    std::string payload;
    std::vector<std::string> published;  // topic and compact document
    std::string error;                   // part of the failure text, "" for none
    log_line logged = {};                // the one line expected, if any
};

class generic_frames : public converter_fixture<generic_request_converter>,
                       public ::testing::WithParamInterface<frame_case> {};

TEST_P(generic_frames, convert_or_fail_whole) {
    const auto& c = GetParam();
    expect_outcome([&] { converter.convert(libs::core::timestamp(1700000000123), c.payload); }, c.error);
    EXPECT_EQ(handler.published(), c.published);
    expect_logged(c.logged);
}

// x 1, y -2, z 300, sublocation 245, merit 200, three unread bytes, flags A4.
const std::string record = "00000001FFFFFFFE0000012CF5C8ZZZZZZA4";
const std::string address = "0011223344556677";
const std::string origin = R"("mac":"001122556677","ts":"2023-11-14T22:13:20.123Z")";

// The position document of `record` with the members of `extra` set in its data.
std::string position(const std::string& extra = "{}") {
    Json::Value document = parse(
        R"({"data":{"fom":200,"inactive":true,"sl_id":245,"slvr_mode":"TDOA","x":1,"y":-2,"z":300},)" + origin + "}");
    const Json::Value members = parse(extra);
    for (const auto& name : members.getMemberNames())
        document["data"][name] = members[name];
    return "pos " + libs::core::json::to_string(document);
}

std::string generic_frame(const std::string& command, const std::string& cmd_data) {
    return "010E00" + to_hex(cmd_data.size() / 2 + 2, 4) + command + cmd_data + address;
}

std::string parameters_of(const std::string& type, const std::string& data) {
    return R"(param {"data":)" + data + "," + origin + R"(,"type":")" + type + "\"}";
}

// clang-format off
const std::vector<frame_case> frame_cases{
        frame_case{"smallest_frame", "010E000000" + address, {}, ""},
        frame_case{"size_one_on_smallest", "010E000001" + address, {},
                   "Field \"size\" has a wrong value: (1) 010E0000010011223344556677"},
        // Bytes the size field does not count make the whole frame wrong: none of it is read.
        frame_case{"longer_than_its_size", "010E000014" "0020" + record + "88" + address, {},
                   "Field \"size\" has a wrong value: (20) "},
        frame_case{"size_below_two_has_no_command_data", "010E000001" "0020" "00112233445566", {},
                   "cmd_data is too short: (0) "},
        frame_case{"other_command", generic_frame("0030", record), {}, ""},
        frame_case{"position", generic_frame("0020", record), {position()}, ""},
        frame_case{"solver_mode_and_activity", generic_frame("0020", record.substr(0, 34) + "DE"),
                   {position(R"({"slvr_mode":"ULTDOA","inactive":false})")}, ""},
        frame_case{"position_record_short", generic_frame("0020", record.substr(0, 34)), {},
                   "cmd_data is too short: (17) " + record.substr(0, 34)},
        // Extension blocks after the record: type, length, value.
        frame_case{"velocity", generic_frame("0020", record + "0206FFFE0A00640B"),
                   {position(R"({"ornt":100,"ornt_fom":11,"spd":-2,"spd_fom":10})")}, ""},
        frame_case{"metrics_first_three_bytes", generic_frame("0020", record + "0304ABCDEF01"),
                   {position(R"({"metrics":"ABCDEF"})")}, ""},
        // A short velocity, an unknown type and an empty source are passed over.
        frame_case{"blocks_passed_over",
                   generic_frame("0020", record + "0205FFFE0A0064" "0901FF" "0101CC" "0100" "0901FF"),
                   {position(R"({"src":"CC"})")}, ""},
        frame_case{"truncated_block_ends_walk", generic_frame("0020", record + "0104" "0101CC"), {position()}, ""},
        // Parameter records: number, length, value.
        frame_case{"parameter_report", generic_frame("000E", "0102ABCD" "0902ABCD" "0301FF"),
                   {parameters_of("param", R"({"p1":43981,"p3":-1})")}, "", {7, "Unknown parameter: 9"}},
        frame_case{"zero_lengths_and_a_number_without_length", generic_frame("000E", "07000800" "0301FF" "08"),
                   {parameters_of("param", R"({"p3":-1,"p7":[],"p8":null})")}, ""},
        frame_case{"truncated_record_ends_report", generic_frame("000E", "0301FF0105AB"),
                   {parameters_of("param", R"({"p3":-1})")}, ""},
        frame_case{"nothing_decoded", generic_frame("000E", "0105AB"), {}, ""},
        frame_case{"unreadable_value_left_out", generic_frame("000E", "0102ZZCD0301FF"),
                   {parameters_of("param", R"({"p3":-1})")}, "",
                   {3, "Parameter p1 left out, its value could not be converted: "}},
        frame_case{"report_too_short", generic_frame("000E", "03"), {}, "cmd_data is too short: (1) 03"},
        // Parameter requests: two bytes an entry, the first the number.
        frame_case{"parameter_request", generic_frame("000F", "01FF0200030001"),
                   {parameters_of("param_req", R"({"req_plist":["p1","p3"]})")}, "", {7, "Unknown parameter: 2"}},
        frame_case{"request_of_unknown_only", generic_frame("000F", "FF00"),
                   {parameters_of("param_req", R"({"req_plist":[]})")}, "", {7, "Unknown parameter: 255"}},
        frame_case{"request_too_short", generic_frame("000F", "01"), {}, "cmd_data is too short: (1) 01"}};
// clang-format on

INSTANTIATE_TEST_SUITE_P(frames, generic_frames, ::testing::ValuesIn(frame_cases),
                         [](const auto& case_info) { return std::string(case_info.param.name); });

// Documents are kept from frame to frame: one converter given every frame in turn,
// forwards and then backwards, publishes what each frame publishes alone.
TEST(generic_frames_in_turn, publish_what_each_frame_publishes_alone) {
    test_logger log;
    parameters::config registry = make_registry(log.logger());
    recording_handler handler;
    generic_request_converter converter{log.logger(), handler, registry};
    auto order = frame_cases;
    order.insert(order.end(), frame_cases.rbegin(), frame_cases.rend());
    std::vector<std::string> expected;
    for (const auto& c : order) {
        try {
            converter.convert(libs::core::timestamp(1700000000123), c.payload);
        } catch (const libs::core::exception&) {
        }
        expected.insert(expected.end(), c.published.begin(), c.published.end());
    }
    std::vector<std::string> published;
    for (const auto& document : handler.documents)
        published.push_back(document.topic + " " + document.text);
    EXPECT_EQ(published, expected);
}

}  // namespace
}  // namespace orx::test
