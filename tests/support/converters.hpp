#pragma once

// Shared by the converter tests: a handler that keeps what the converters send,
// a root logger whose system-log lines are kept, a parameter registry built from
// JSON text, and a converter built on all three.

#include "parameter_config/config.hpp"
#include "processed_messages_handler.hpp"
#include "support/capturing_system_log.hpp"

#include <core/exception.hpp>
#include <core/json.hpp>
#include <core/logger.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace orx::test {

// A document sent, with its text as compact JSON.
struct published_document {
    std::string topic;
    Json::Value document;
    std::string text;
};

class recording_handler : public processed_messages_handler {
public:
    void on_message(const binary_message& message) override {
        messages.emplace_back(message.m_hex.data(), message.m_hex.size());
    }
    void on_message(boost::string_view topic, const Json::Value& document) override {
        documents.push_back({std::string(topic), document, libs::core::json::to_string(document)});
    }

    // Each document sent as its topic, a blank and its compact text.
    std::vector<std::string> published() const {
        std::vector<std::string> result;
        for (const auto& d : documents)
            result.push_back(d.topic + " " + d.text);
        return result;
    }

    std::vector<std::string> messages;
    std::vector<published_document> documents;
};

using log_line = capturing_system_log::line;

// A root logger in debug mode, so that debug lines reach the kept system log too.
class test_logger {
public:
    test_logger() : m_sink(std::make_shared<capturing_system_log>()), m_logger("tarnwick", "test", m_sink) {
        m_logger.set_debug(true);
        m_sink->clear();
    }

    libs::core::logger& logger() { return m_logger; }

    // The texts of the lines logged at `priority`, in order.
    std::vector<std::string> lines(int priority) const { return m_sink->texts(priority); }
    std::vector<log_line> all() const { return m_sink->lines(); }

private:
    std::shared_ptr<capturing_system_log> m_sink;
    libs::core::logger m_logger;
};

inline Json::Value parse(const std::string& text) {
    const auto parsed = libs::core::json::try_parse(text);
    EXPECT_TRUE(parsed.ok) << text << ": " << parsed.error;
    return parsed.result;
}

// Parameters the tests use: p1 two-byte unsigned, p3 one-byte signed, p7 and p8
// report zero length as an empty list and as "not supported", a and b to check the
// name order, and wide, whose number does not fit a record.
inline parameters::config make_registry(libs::core::logger& logger) {
    std::istringstream stream(R"({"hw_param": [
        {"num": 1, "jname": "p1", "format": "UINT", "size": 2}, {"num": 3, "jname": "p3", "format": "INT", "size": 1},
        {"num": 7, "jname": "p7", "format": "UINT", "size": 1, "zero_size_interpretation": "empty_array"},
        {"num": 8, "jname": "p8", "format": "UINT", "size": 1}, {"num": 10, "jname": "a", "format": "UINT", "size": 1},
        {"num": 11, "jname": "b", "format": "UINT", "size": 1},
        {"num": 300, "jname": "wide", "format": "UINT", "size": 1}
    ]})");
    return parameters::config(logger, stream);
}

// A converter of the type given, on the registry above, whose output and log lines are kept.
template <typename Converter>
class converter_fixture : public ::testing::Test {
protected:
    // Runs `convert`, which must raise an exception whose text holds `error`, or return when
    // `error` is empty.
    template <typename F>
    static void expect_outcome(F&& convert, const std::string& error) {
        if (error.empty())
            return convert();
        EXPECT_THAT(convert, ::testing::ThrowsMessage<libs::core::exception>(::testing::HasSubstr(error)));
    }

    // The one line expected, at its priority with its text in it, or none when it has no text.
    void expect_logged(const log_line& expected = {}) const {
        const auto lines = log.all();
        EXPECT_EQ(lines.size(), expected.text.empty() ? 0u : 1u);
        for (const auto& line : lines) {
            EXPECT_EQ(line.priority, expected.priority) << line.text;
            EXPECT_THAT(line.text, ::testing::HasSubstr(expected.text));
        }
    }

    test_logger log;
    parameters::config registry = make_registry(log.logger());
    recording_handler handler;
    Converter converter{log.logger(), handler, registry};
};

}  // namespace orx::test
