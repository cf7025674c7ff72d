#include "conversion_table.hpp"

#include <core/json.hpp>

#include <gmock/gmock.h>

namespace orx::parameters::test {

namespace {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

// A field whose text passes through unchanged both ways, for composites whose
// fields may hold any characters.
class raw_field : public descriptor {
public:
    explicit raw_field(const Json::Value& field)
        : descriptor(boost::none, field["offset"].asUInt(), "", field["jname"].asString(),
                     field.isMember("size") ? boost::make_optional(field["size"].asUInt()) : boost::none, false,
                     boost::none) {}

    boost::optional<Json::Value> convert_bin_to_json(string_view hex) const override {
        return Json::Value(std::string(hex));
    }
    boost::optional<std::string> convert_json_to_bin(const Json::Value& value) const override {
        return value.isString() ? boost::make_optional(value.asString()) : boost::none;
    }
    string_view get_type_name() const override { return "TEST_RAW"; }
};

}  // namespace

const char* const optional_access_error = "Attempted to access the value of an uninitialized optional object.";
const char* const bounds_error = "vector::_M_range_check";
const char* const substr_error = "string_view::substr";
const char* const lexical_error = "bad lexical cast: source type value could not be interpreted as target";

std::string range_error(int index, int size) {
    return "(which is " + std::to_string(index) + ") >= this->size() (which is " + std::to_string(size) + ")";
}

Json::Value json_of(const std::string& text) {
    const auto parsed = libs::core::json::try_parse(text);
    EXPECT_TRUE(parsed.ok) << text << ": " << parsed.error;
    return parsed.result;
}

descriptor::ptr build(const std::string& object_text) {
    const auto object = json_of(object_text);
    auto built = descriptor::create_from_json(object);
    EXPECT_TRUE(built) << object_text;
    if (!built)
        return nullptr;
    for (const auto& field : object["fields"])
        if (field["format"].asString() == "TEST_RAW")
            (*built)->add_field(field["offset"].asUInt(), std::make_unique<raw_field>(field));
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
    const auto input = json_of(row.input);
    if (!row.error.empty()) {
        EXPECT_THAT([&] { d->convert_json_to_bin(input); }, ThrowsMessage<std::exception>(HasSubstr(row.error)));
        return;
    }
    EXPECT_EQ(d->convert_json_to_bin(input), row.expected);
}

}  // namespace orx::parameters::test
