#include "conversion_table.hpp"

#include "converter_utils.hpp"

#include <core/json.hpp>

#include <gmock/gmock.h>

namespace orx::parameters::test {

namespace {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

// Stand-in for the fields whose formats live elsewhere: the composites tell their
// variable part by the format text, so a class with the same text and conversions serves.
template <bool as_text>
class stand_in : public descriptor {
public:
    stand_in(const Json::Value& field, std::string type_name)
        : descriptor(boost::none, field["offset"].asUInt(), "", field["jname"].asString(),
                     field.isMember("size") ? boost::make_optional(field["size"].asUInt()) : boost::none, false,
                     boost::none),
          m_type_name(std::move(type_name)) {}

    // Text: the bytes up to a NUL; otherwise the hex text unchanged.
    boost::optional<Json::Value> convert_bin_to_json(string_view hex) const override {
        if (!as_text)
            return Json::Value(std::string(hex));
        std::string text;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
            const char c = parse_number<char>(hex.substr(i)).value();
            if (c == 0)
                break;
            text += c;
        }
        return Json::Value(text);
    }

    boost::optional<std::string> convert_json_to_bin(const Json::Value& value) const override {
        if (!value.isString())
            return boost::none;
        if (!as_text)
            return value.asString();
        std::string hex;
        for (unsigned char c : value.asString())
            append_hex(hex, c, 2);
        return hex;
    }

    string_view get_type_name() const override { return m_type_name; }

private:
    std::string m_type_name;
};

descriptor::ptr stand_in_field(const Json::Value& field, const std::string& format) {
    if (format == "STR")
        return std::make_unique<stand_in<true>>(field, format);
    return std::make_unique<stand_in<false>>(field, format);
}

}  // namespace

const char* const optional_access_error = "Attempted to access the value of an uninitialized optional object.";
const char* const bounds_error = "vector::_M_range_check";
const char* const substr_error = "string_view::substr";

descriptor::ptr build(const std::string& object_text) {
    const auto parsed = libs::core::json::try_parse(object_text);
    EXPECT_TRUE(parsed.ok) << object_text << ": " << parsed.error;
    auto built = descriptor::create_from_json(parsed.result);
    EXPECT_TRUE(built) << object_text;
    if (!built)
        return nullptr;
    for (const auto& field : parsed.result["fields"]) {
        const std::string format = field["format"].asString();
        if (format == "TEST_RAW" || ((format == "STR" || format == "HEXVAR") && !descriptor::create_from_json(field)))
            (*built)->add_field(field["offset"].asUInt(), stand_in_field(field, format));
    }
    return std::move(*built);
}

TEST_P(conversions, give_the_listed_result) {
    const conversion& row = GetParam();
    const auto d = build(row.descriptor);
    ASSERT_TRUE(d);
    if (row.way == conversion::TO_JSON) {
        if (!row.error.empty()) {
            EXPECT_THAT([&] { d->convert_bin_to_json(row.input); }, ThrowsMessage<std::exception>(HasSubstr(row.error)));
            return;
        }
        const auto value = d->convert_bin_to_json(row.input);
        EXPECT_EQ(value ? boost::make_optional(libs::core::json::to_string(*value)) : boost::none, row.expected);
        return;
    }
    const auto parsed = libs::core::json::try_parse(row.input);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    if (!row.error.empty()) {
        EXPECT_THAT([&] { d->convert_json_to_bin(parsed.result); }, ThrowsMessage<std::exception>(HasSubstr(row.error)));
        return;
    }
    EXPECT_EQ(d->convert_json_to_bin(parsed.result), row.expected);
}

}  // namespace orx::parameters::test
