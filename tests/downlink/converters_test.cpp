// The downlink converters called directly, with the frames they must build
// byte for byte, and the parameter encoding rules for descriptors that fail.

#include "support/converters.hpp"

#include "configuration_converter.hpp"
#include "generic_frame.hpp"
#include "parameter_converter.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace orx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Throws;
using ::testing::ThrowsMessage;

const std::string header = "080E";
const std::string address = "0011223344556677";

class converters : public ::testing::Test {
protected:
    test_logger log;
    parameters::config registry = make_registry(log.logger());
    recording_handler handler;
};

// A configuration member: the worked one with some members replaced or removed.
struct configuration_case {
    const char* title;
    std::string replaced;                // JSON object whose members replace the base ones
    std::vector<std::string> removed;
    std::string command_data;            // expected, or empty when the member fails
    std::string error;                   // part of the failure text
};

void PrintTo(const configuration_case& c, std::ostream* os) {
    *os << c.title;
}

class configurations : public converters, public ::testing::WithParamInterface<configuration_case> {};

TEST_P(configurations, encode_every_field_or_fail_whole) {
    const auto& c = GetParam();
    Json::Value member =
        parse(R"({"node_id":258,"pos_freq":10,"ntype":"FIXED","sublocation_id":1,"x":-1,"y":1000,"z":150,"sl_z":-2})");
    const Json::Value replaced = parse(c.replaced);
    for (const auto& key : replaced.getMemberNames())
        member[key] = replaced[key];
    for (const auto& key : c.removed)
        member.removeMember(key);

    uint8_t number = 0;
    const configuration_converter converter(log.logger(), handler);
    if (c.command_data.empty()) {
        EXPECT_THAT([&] { converter.convert(member, header, number, address); },
                    ThrowsMessage<std::exception>(HasSubstr(c.error)));
        EXPECT_THAT(handler.messages, IsEmpty());
        EXPECT_EQ(number, 0);
    } else {
        converter.convert(member, header, number, address);
        EXPECT_THAT(handler.messages, ElementsAre("080E00001500CF" + c.command_data + address));
        EXPECT_EQ(number, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    members, configurations,
    ::testing::Values(
        configuration_case{"mobile", R"({"ntype":"mobile"})", {}, "01021E0A020001FFFFFFFF000003E8FFFE0096", ""},
        configuration_case{"asset", R"({"ntype":"Asset"})", {}, "01021E0A060001FFFFFFFF000003E8FFFE0096", ""},
        configuration_case{"unknown_type", R"({"ntype":"rover"})", {}, "01021E0A030001FFFFFFFF000003E8FFFE0096", ""},
        configuration_case{"cut_to_width",
                           R"({"node_id":65537,"pos_freq":257,"sublocation_id":65536,"x":4294967297,"z":-32769})", {},
                           "00011E0101000000000001000003E8FFFE7FFF", ""},
        configuration_case{"last_field_missing", "{}", {"sl_z"}, "", "Field \"sl_z\" is missing"},
        configuration_case{"first_missing_reported", "{}", {"sl_z", "node_id"}, "", "Field \"node_id\" is missing"},
        configuration_case{"text_number", R"({"x":"1"})", {}, "", "not convertible"},
        configuration_case{"negative_unsigned", R"({"pos_freq":-1})", {}, "", "out of UInt range"}),
    [](const auto& info) { return std::string(info.param.title); });

TEST_F(converters, frame_size_field_limits_the_body) {
    uint8_t number = 0;
    send_downlink_frame(handler, header, number, 0x000E, std::string(2 * 65533, 'A'), address);
    ASSERT_EQ(handler.messages.size(), 1u);
    EXPECT_EQ(handler.messages[0].substr(0, 14), "080E00FFFF000E");

    EXPECT_THAT([&] { send_downlink_frame(handler, header, number, 0x000E, std::string(2 * 65534, 'A'), address); },
                Throws<libs::core::exception>());
    EXPECT_EQ(handler.messages.size(), 1u);
    EXPECT_EQ(number, 1);
}

// A descriptor whose conversions the test decides.
class scripted_descriptor : public parameters::descriptor {
public:
    using encoder = std::function<boost::optional<std::string>(const Json::Value&)>;

    scripted_descriptor(uint32_t num, encoder encode)
        : descriptor(num, boost::none, "scripted", "scripted", boost::none, false, boost::none),
          m_encode(std::move(encode)) {}

    boost::optional<Json::Value> convert_bin_to_json(string_view) const override { return boost::none; }
    boost::optional<std::string> convert_json_to_bin(const Json::Value& value) const override { return m_encode(value); }
    string_view get_type_name() const override { return "SCRIPTED"; }

private:
    encoder m_encode;
};

// Gives the tests the encoding of one parameter, for descriptors a registry of
// real formats rarely holds.
class exposed_parameter_converter : public parameter_converter {
public:
    using parameter_converter::append_record;
    using parameter_converter::parameter_converter;
};

boost::optional<std::string> raise(const Json::Value&) {
    throw libs::core::exception("value out of reach", CORE_CURRENT_LOCATION);
}

struct record_case {
    const char* title;
    scripted_descriptor::encoder encode;
    std::string record;
    log_line logged;
};

void PrintTo(const record_case& c, std::ostream* os) {
    *os << c.title;
}

class parameter_records : public converters, public ::testing::WithParamInterface<record_case> {};

TEST_P(parameter_records, carry_only_what_fits) {
    const auto& c = GetParam();
    const exposed_parameter_converter converter(log.logger(), handler, registry);
    std::string body = "0100";
    converter.append_record(body, scripted_descriptor(9, c.encode), "nine", Json::Value(1), CORE_CURRENT_LOCATION);
    EXPECT_EQ(body, "0100" + c.record);
    if (c.logged.text.empty()) {
        EXPECT_THAT(log.all(), IsEmpty());
    } else {
        const auto lines = log.all();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].priority, c.logged.priority);
        EXPECT_THAT(lines[0].text, HasSubstr(c.logged.text));
    }
}

INSTANTIATE_TEST_SUITE_P(
    values, parameter_records,
    ::testing::Values(
        record_case{"longest_value", [](const Json::Value&) { return boost::make_optional(std::string(510, 'C')); },
                    "09FF" + std::string(510, 'C'), {}},
        record_case{"value_too_long", [](const Json::Value&) { return boost::make_optional(std::string(512, 'C')); },
                    "", {4, "Parameter nine left out, its value of 256 bytes does not fit a record"}},
        record_case{"rejected", [](const Json::Value&) { return boost::optional<std::string>(); }, "",
                    {7, "Invalid parameter nine body: 1"}},
        record_case{"raising", raise, "",
                    {3, "Parameter nine left out, its value could not be converted: /tests/downlink/converters_test.cpp:"}}),
    [](const auto& info) { return std::string(info.param.title); });

}  // namespace
}  // namespace orx::test
