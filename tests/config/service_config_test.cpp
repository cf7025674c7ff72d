#include "config.hpp"

#include <core/exception.hpp>
#include <core/json.hpp>

#include <boost/optional/optional_io.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace {

const char* const valid = R"({"system":{"pidfile":"p","debug_port":"d","local_debug":true},
    "binary":{"input":"bi","tmp_input":"bt","output":"bo","tmp_output":"bto"},
    "json":{"input":"ji","output":"jo"},"parameters":{"config_file":"pc"}})";

orx::config read(const Json::Value& doc, const std::string& before = "") {
    std::istringstream stream(before + orx::libs::core::json::to_string(doc));
    return orx::config(stream);
}

Json::Value valid_document() { return orx::libs::core::json::try_parse(valid).result; }

TEST(service_config, reads_every_field_past_comments_and_extra_keys) {
    auto doc = valid_document();
    doc["system"]["unknown"] = 1;
    const orx::config cfg = read(doc, "// the service configuration\n");
    EXPECT_EQ(
        std::tie(cfg.system.pidfile_path, cfg.system.debug_port, cfg.binary.input, cfg.binary.tmp_input,
                 cfg.binary.output, cfg.binary.tmp_output, cfg.json.input, cfg.json.output, cfg.parameters.config_file),
        std::make_tuple("p", "d", "bi", "bt", "bo", "bto", "ji", "jo", "pc"));
    EXPECT_TRUE(cfg.system.local_debug);
    EXPECT_EQ(cfg.statistics.textfile, boost::none);
    doc["statistics"]["textfile"] = "s";
    EXPECT_EQ(read(doc).statistics.textfile, std::string("s"));
    doc["statistics"] = Json::objectValue;
    EXPECT_EQ(read(doc).statistics.textfile, boost::none);
    EXPECT_EQ(cfg.json.output_hwm, boost::none);
    doc["json"]["output_hwm"] = 0;
    EXPECT_EQ(read(doc).json.output_hwm, 0);
}

struct invalid_case {
    std::function<void(Json::Value&)> change;
    std::string reason;
};

class invalid_documents : public ::testing::TestWithParam<invalid_case> {};

TEST_P(invalid_documents, list_every_problem_in_table_order) {
    auto doc = valid_document();
    GetParam().change(doc);
    try {
        read(doc);
        ADD_FAILURE() << "no exception";
    } catch (const orx::libs::core::exception& e) {
        EXPECT_EQ(e.error(), "Config file is invalid: " + GetParam().reason);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(documents, invalid_documents, ::testing::Values(
    invalid_case{[](Json::Value& d) { d["system"]["local_debug"] = "true"; },
                 "Can not find field <bool>: system.local_debug"},
    invalid_case{[](Json::Value& d) { d.removeMember("parameters"); d["system"].removeMember("pidfile"); },
                 "Can not find field <string>: system.pidfile\n"
                 "Can not find object <object>: parameters, path: parameters.config_file"},
    invalid_case{[](Json::Value& d) { d["statistics"]["textfile"] = 1; d["json"]["output"] = Json::nullValue; },
                 "Can not find field <string>: json.output\nCan not find field <string>: statistics.textfile"},
    invalid_case{[](Json::Value& d) { d["json"]["output_hwm"] = -1; },
                 "Can not find field <int 0..2147483647>: json.output_hwm"},
    invalid_case{[](Json::Value& d) { d["statistics"] = "/var/lib/stats.prom"; },
                 "Can not find object <object>: statistics, path: statistics.textfile"}));
// clang-format on

}  // namespace
