// The converter as the service uses it: whole gateway frames offered to every
// uplink converter in turn, each payload's documents byte for byte; JSON requests
// filtered by their "mac" and numbered in turn.

#include "converter.hpp"
#include "converter_utils.hpp"
#include "support/converters.hpp"

namespace orx::test {
namespace {

using dispatch = converter_fixture<converter>;

struct payload_case {
    const char* name;
    std::string payload;
    std::vector<std::string> published;  // topic and compact document, the payload quoted as *
    bool raises = false;
};

class payloads : public dispatch, public ::testing::WithParamInterface<payload_case> {};

// Converts the case's payload and checks what it published, then forgets it.
void check_payload(converter& converter, recording_handler& handler, const payload_case& c) {
    // Time stamp 1700000000 s and 123 ms.
    const std::string frame = "00066553F100007B" + to_hex(c.payload.size() / 2, 4) + c.payload;
    if (c.raises)
        EXPECT_THROW(converter.convert(binary_message{frame}), libs::core::exception);
    else
        converter.convert(binary_message{frame});
    auto published = handler.published();
    for (auto& text : published)  // the obsolete form quotes the payload whole
        if (const auto at = text.find(c.payload); at != std::string::npos)
            text.replace(at, c.payload.size(), "*");
    EXPECT_EQ(published, c.published) << c.name;
    handler.documents.clear();
}

TEST_P(payloads, give_their_documents_in_order) { check_payload(converter, handler, GetParam()); }

const std::string sent = R"("ts":"2023-11-14T22:13:20.123Z")";

std::string obsolete(const std::string& mac) { return R"(obsolete {"hex":"*","mac":")" + mac + "\"," + sent + "}"; }

std::string event(const std::string& type, const std::string& data) {
    return R"(event {"data":)" + data + R"(,"mac":"001122556677",)" + sent + R"(,"type":")" + type + "\"}";
}

std::string heartbeat(const std::string& ntype) {
    return event("heartbeat", R"({"ntype":")" + ntype +
                                  R"(","pos_freq":250,"sl_z":-32768,"sublocation_id":245,"x":100,"y":-200,"z":-2})");
}

// `payload` with the characters from `at` on replaced by `text`.
std::string with(std::string payload, std::size_t at, const std::string& text) {
    return payload.replace(at, text.size(), text);
}

// 94 characters: code 0104, pos_freq FA, type 02 (MOBILE), sublocation F5, node
// address at 14, x 100 at 54, y -200 at 62, sl_z -32768 at 70, z -2 at 74. The
// announce has the same layout under code 010F.
// clang-format off
const std::string node_frame = "0104" "0000" "FA" "02" "F5" "0011223344556677" + std::string(24, '0') +
                               "00000064" "FFFFFF38" "8000" "FFFE" + std::string(16, '0');
// clang-format on
const std::string announce = with(node_frame, 0, "010F");
const std::string mac = obsolete("001122556677");
// Hex digits that tell their position, for where the obsolete form finds the address.
const std::string positional = "0123456789ABCDEF0123456789ABCDEF";

// clang-format off
const std::vector<payload_case> payload_cases{
        payload_case{"heartbeat", node_frame, {mac, heartbeat("MOBILE")}},
        payload_case{"heartbeat_92_characters", node_frame.substr(0, 92), {mac}},
        // Only the low three bits of the type code count; 0 and 7 are no node.
        payload_case{"type_0E", with(node_frame, 10, "0E"), {mac, heartbeat("ASSET")}},
        payload_case{"type_07", with(node_frame, 10, "07"), {mac}},
        payload_case{"type_00", with(node_frame, 10, "00"), {mac}},
        payload_case{"announce", announce,
                     {mac, event("announce", R"({"sublocation_id":245,"x":100,"y":-200,"z":-2})")}},
        payload_case{"announce_92_characters", announce.substr(0, 92), {mac}},
        // The sender's address: the last 8 bytes, but from 6 in 0103 frames of 11 bytes
        // or more, and from 14 in 0104 and 010F frames of 15 bytes or more.
        payload_case{"0103_short", "0103" + positional.substr(4, 16), {obsolete("456789EF0123")}},
        payload_case{"0103", "0103" + positional.substr(4, 20), {obsolete("6789AB012345")}},
        payload_case{"0104_short", "0104" + positional.substr(4, 24), {obsolete("CDEF016789AB")}},
        // Position reports are not republished raw.
        payload_case{"position", "010E000014" "0020" "00000001FFFFFFFE0000012CF5C8000000A4" "0011223344556677",
                     {R"(pos {"data":{"fom":200,"inactive":true,"sl_id":245,"slvr_mode":"TDOA","x":1,"y":-2,)"
                      R"("z":300},"mac":"001122556677",)" + sent + "}"}},
        payload_case{"command_0020_of_another_code", "0104000000002000", {obsolete("010400002000")}},
        payload_case{"parameter_report", "010E000006" "000E" "0102ABCD" "0011223344556677",
                     {mac, R"(param {"data":{"p1":43981},"mac":"001122556677",)" + sent + R"(,"type":"param"})"}},
        // A size field of 2 where the frame holds 3: raised after the obsolete form.
        payload_case{"wrong_size", "010E00" "0002" "0030" "99" "0011223344556677", {mac}, true}};
// clang-format on

INSTANTIATE_TEST_SUITE_P(frames, payloads, ::testing::ValuesIn(payload_cases),
                         [](const auto& case_info) { return std::string(case_info.param.name); });

// Documents are kept from frame to frame: one converter given every payload in
// turn, forwards and then backwards, publishes what each publishes alone.
TEST_F(dispatch, payloads_in_turn_give_what_each_gives_alone) {
    for (auto c = payload_cases.begin(); c != payload_cases.end(); ++c)
        check_payload(converter, handler, *c);
    for (auto c = payload_cases.rbegin(); c != payload_cases.rend(); ++c)
        check_payload(converter, handler, *c);
}

TEST_F(dispatch, requests_need_a_mac_of_12_characters_and_take_the_next_number) {
    for (const char* mac_field : {"", R"(,"mac":"001122aabbc")", R"(,"mac":"001122aabbccd")", R"(,"mac":112233445566)"})
        converter.convert(parse(std::string(R"({"message":{"reboot":{}})") + mac_field + "}"));
    expect_logged();
    EXPECT_THROW(converter.convert(Json::Value(Json::arrayValue)), Json::LogicError);
    for (int i = 0; i < 257; ++i)
        converter.convert(parse(R"({"mac":"001122aabbcc","message":{"reboot":{}}})"));
    ASSERT_EQ(handler.messages.size(), 257u);
    for (const auto i : {0, 1, 255, 256})
        EXPECT_EQ(handler.messages[i].substr(0, 6), "080E" + to_hex(i, 2)) << i;
}

}  // namespace
}  // namespace orx::test
