#include "support/capturing_system_log.hpp"
#include "support/temp_dir.hpp"

#include <core/constants.hpp>
#include <core/exception.hpp>
#include <core/logger.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zmq.hpp>

#include <regex>
#include <syslog.h>

namespace {

using orx::libs::core::logger;
using orx::libs::core::timestamp;
using orx::test::capturing_system_log;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A logger connected to a real PULL socket on an ipc path.
class logger_test : public ::testing::Test {
protected:
    logger_test() : m_pull(m_context, zmq::socket_type::pull) {
        m_pull.set(zmq::sockopt::rcvtimeo, 2000);
        m_pull.bind(m_dir.ipc("debug"));
    }

    std::unique_ptr<logger> make_connected() {
        auto log = std::make_unique<logger>("tarnwick", "main", m_sink);
        log->connect(m_dir.ipc("debug"));
        EXPECT_THAT(receive(), HasSubstr("Connected to socket"));
        return log;
    }

    std::string receive() {
        zmq::message_t message;
        if (!m_pull.recv(message))
            return "<nothing>";
        return message.to_string();
    }

    orx::test::temp_dir m_dir;
    std::shared_ptr<capturing_system_log> m_sink = std::make_shared<capturing_system_log>();
    zmq::context_t m_context;
    zmq::socket_t m_pull;
};

const std::regex date_prefix(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )");

TEST_F(logger_test, starting_line_goes_to_the_system_log_only) {
    logger log("tarnwick", "main", m_sink);
    EXPECT_EQ(m_sink->identity(), "tarnwick");
    ASSERT_EQ(m_sink->lines().size(), 1u);
    EXPECT_EQ(m_sink->lines()[0].priority, LOG_INFO);
    EXPECT_EQ(m_sink->lines()[0].text, "Starting tarnwick");
}

TEST_F(logger_test, every_level_reaches_the_socket_with_prefix_and_date) {
    auto log = make_connected();
    log->error("e %1%") % 1;
    log->warning("w %1%") % "two";
    log->info("i");
    log->debug("d");
    for (const char* body : {"e 1", "w two", "i", "d"}) {
        const auto line = receive();
        ASSERT_EQ(line.rfind("&tarnwick:main ", 0), 0u) << line;
        const auto rest = line.substr(15);
        std::smatch match;
        ASSERT_TRUE(std::regex_search(rest, match, date_prefix, std::regex_constants::match_continuous)) << line;
        EXPECT_EQ(match.suffix().str(), body);
    }
}

TEST_F(logger_test, debug_mode_decides_what_the_system_log_shows) {
    auto log = make_connected();
    m_sink->clear();
    log->debug("hidden");
    log->info("shown");
    EXPECT_THAT(m_sink->texts(), ElementsAre("shown"));
    EXPECT_THAT(receive(), HasSubstr("hidden"));

    log->set_debug(true);
    EXPECT_EQ(m_sink->options(), LOG_PERROR);
    m_sink->clear();
    log->debug("visible");
    ASSERT_EQ(m_sink->lines().size(), 1u);
    const auto text = m_sink->lines()[0].text;
    std::smatch match;
    ASSERT_TRUE(std::regex_search(text, match, date_prefix, std::regex_constants::match_continuous)) << text;
    EXPECT_EQ(match.suffix().str(), "visible");
}

TEST_F(logger_test, scopes_indent_lines_until_the_guard_goes) {
    auto log = make_connected();
    {
        auto guard = log->enter_scope("outer");
        EXPECT_THAT(receive(), testing::EndsWith(" outer"));
        log->info("inside");
        EXPECT_THAT(receive(), HasSubstr("    | inside"));
        auto inner = log->enter_scope("inner");
        receive();
        log->info("deeper");
        EXPECT_THAT(receive(), HasSubstr("        | deeper"));
    }
    log->info("after");
    const auto line = receive();
    EXPECT_THAT(line, testing::EndsWith(" after"));
    EXPECT_THAT(line, testing::Not(HasSubstr("|")));
}

TEST_F(logger_test, component_lines_carry_their_own_prefix_and_function) {
    auto log = make_connected();
    auto core = log->component("core");
    core->info("x").short_function(CORE_CURRENT_LOCATION);
    const auto line = receive();
    EXPECT_EQ(line.rfind("&tarnwick:core ", 0), 0u) << line;
    EXPECT_THAT(line, testing::EndsWith(": x"));
    auto function = log->enter_function_short(orx::libs::core::source_location(1, "f", "void orx::a::b(int)"), "");
    EXPECT_THAT(receive(), testing::EndsWith(" orx::a::b: "));
}

TEST_F(logger_test, caught_exception_gives_two_error_lines) {
    logger log("tarnwick", "main", m_sink);
    m_sink->clear();
    const int line = __LINE__ + 2;
    try {
        CORE_CHECK(1 == 2);
    } catch (...) {
        log.log_exception(orx::libs::core::source_location(7, "x", "f"));
    }
    const auto lines = m_sink->lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].priority, LOG_ERR);
    EXPECT_EQ(lines[0].text, ":7 Caught exeption");
    EXPECT_EQ(lines[1].text, "/tests/core/logger_test.cpp:" + std::to_string(line) + " check failed: 1 == 2");

    m_sink->clear();
    try {
        throw 5;
    } catch (...) {
        log.log_exception();
    }
    EXPECT_THAT(m_sink->texts(), ElementsAre("Unknown exception"));
}

TEST_F(logger_test, location_prefixes_the_body_and_date_time_replaces_now) {
    auto log = make_connected();
    const std::string file = std::string(orx::libs::core::constants::source_directory) + "/src/x.cpp";
    log->info("text").location(orx::libs::core::source_location(9, file.c_str(), "f")).date_time(timestamp(1700000000123));
    EXPECT_EQ(receive(), "&tarnwick:main 2023-11-14 22:13:20.123 /src/x.cpp:9 text");
}

TEST_F(logger_test, socket_writing_off_sends_nothing) {
    auto log = make_connected();
    log->set_writing_to_socket(false);
    log->error("lost");
    log->debug("lost too");
    log->set_writing_to_socket(true);
    log->info("marker");
    EXPECT_THAT(receive(), testing::EndsWith(" marker"));
}

TEST_F(logger_test, error_code_lines_name_place_and_message) {
    logger log("tarnwick", "main", m_sink);
    m_sink->clear();
    const std::string file = std::string(orx::libs::core::constants::source_directory) + "/src/y.cpp";
    log.log_error(boost::system::errc::make_error_code(boost::system::errc::timed_out),
                  orx::libs::core::source_location(3, file.c_str(), "f"));
    ASSERT_EQ(m_sink->lines().size(), 1u);
    EXPECT_THAT(m_sink->lines()[0].text, testing::StartsWith("/src/y.cpp:3: "));
}

}  // namespace
