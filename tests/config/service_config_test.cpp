#include "config.hpp"

#include <core/exception.hpp>

#include <boost/optional/optional_io.hpp>

#include <json/value.h>
#include <json/writer.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace {

using ::testing::HasSubstr;

Json::Value valid_document() {
    Json::Value doc;
    doc["system"]["pidfile"] = "/run/service.pid";
    doc["system"]["debug_port"] = "ipc:///tmp/debug_log";
    doc["system"]["local_debug"] = true;
    doc["binary"]["input"] = "tcp://*:7001";
    doc["binary"]["tmp_input"] = "tcp://*:7002";
    doc["binary"]["output"] = "tcp://*:7003";
    doc["binary"]["tmp_output"] = "ipc:///tmp/downlink_raw";
    doc["json"]["input"] = "tcp://*:7005";
    doc["json"]["output"] = "tcp://*:7006";
    doc["parameters"]["config_file"] = "/etc/service/parameters.json";
    return doc;
}

orx::config read(const std::string& text) {
    std::istringstream stream(text);
    return orx::config(stream);
}

orx::config read(const Json::Value& doc) { return read(Json::writeString(Json::StreamWriterBuilder(), doc)); }

TEST(service_config, reads_every_field_and_ignores_comments_and_extra_keys) {
    auto doc = valid_document();
    doc["system"]["unknown"] = 1;
    doc["fifth_group"]["x"] = "y";
    std::string text = Json::writeString(Json::StreamWriterBuilder(), doc);
    text.insert(text.find('{') + 1, "\n// the service configuration\n");
    const orx::config cfg = read(text);
    EXPECT_EQ(cfg.system.pidfile_path, "/run/service.pid");
    EXPECT_EQ(cfg.system.debug_port, "ipc:///tmp/debug_log");
    EXPECT_TRUE(cfg.system.local_debug);
    EXPECT_EQ(cfg.binary.input, "tcp://*:7001");
    EXPECT_EQ(cfg.binary.tmp_input, "tcp://*:7002");
    EXPECT_EQ(cfg.binary.output, "tcp://*:7003");
    EXPECT_EQ(cfg.binary.tmp_output, "ipc:///tmp/downlink_raw");
    EXPECT_EQ(cfg.json.input, "tcp://*:7005");
    EXPECT_EQ(cfg.json.output, "tcp://*:7006");
    EXPECT_EQ(cfg.parameters.config_file, "/etc/service/parameters.json");
    EXPECT_EQ(cfg.statistics.textfile, boost::none);
}

TEST(service_config, statistics_text_file_is_read_when_given) {
    auto doc = valid_document();
    doc["statistics"]["textfile"] = "/var/lib/stats.prom";
    EXPECT_EQ(read(doc).statistics.textfile, std::string("/var/lib/stats.prom"));
    doc["statistics"] = Json::objectValue;
    EXPECT_EQ(read(doc).statistics.textfile, boost::none);
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
        FAIL() << "no exception";
    } catch (const orx::libs::core::exception& e) {
        EXPECT_EQ(e.error(), "Config file is invalid: " + GetParam().reason);
        EXPECT_THAT(std::string(e.get_source_location().function()), HasSubstr("config::config"));
    }
}

const std::string object_missing = "Can not find object <object>: ";

INSTANTIATE_TEST_SUITE_P(documents, invalid_documents, ::testing::Values(
    invalid_case{[](Json::Value& d) { d = Json::objectValue; },
                 object_missing + "system, path: system.pidfile\n" +
                 object_missing + "system, path: system.debug_port\n" +
                 object_missing + "system, path: system.local_debug\n" +
                 object_missing + "binary, path: binary.input\n" +
                 object_missing + "binary, path: binary.tmp_input\n" +
                 object_missing + "binary, path: binary.output\n" +
                 object_missing + "binary, path: binary.tmp_output\n" +
                 object_missing + "json, path: json.input\n" +
                 object_missing + "json, path: json.output\n" +
                 object_missing + "parameters, path: parameters.config_file"},
    invalid_case{[](Json::Value& d) { d["system"]["local_debug"] = "true"; },
                 "Can not find field <bool>: system.local_debug"},
    invalid_case{[](Json::Value& d) { d["system"]["debug_port"] = 7000; },
                 "Can not find field <string>: system.debug_port"},
    invalid_case{[](Json::Value& d) { d["binary"] = Json::arrayValue; d["binary"].append(d["json"]); },
                 object_missing + "binary, path: binary.input\n" +
                 object_missing + "binary, path: binary.tmp_input\n" +
                 object_missing + "binary, path: binary.output\n" +
                 object_missing + "binary, path: binary.tmp_output"},
    invalid_case{[](Json::Value& d) { d.removeMember("parameters"); d["system"].removeMember("pidfile"); },
                 "Can not find field <string>: system.pidfile\n" +
                 object_missing + "parameters, path: parameters.config_file"},
    invalid_case{[](Json::Value& d) { d["statistics"]["textfile"] = 1; d["json"]["output"] = Json::nullValue; },
                 "Can not find field <string>: json.output\nCan not find field <string>: statistics.textfile"},
    invalid_case{[](Json::Value& d) { d["statistics"] = "/var/lib/stats.prom"; },
                 object_missing + "statistics, path: statistics.textfile"}));

}  // namespace
