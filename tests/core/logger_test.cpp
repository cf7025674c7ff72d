#include "support/capturing_system_log.hpp"
#include "support/temp_dir.hpp"

#include <core/constants.hpp>
#include <core/logger.hpp>

#include <gmock/gmock.h>
#include <zmq.hpp>

#include <chrono>
#include <thread>

namespace {

using orx::libs::core::source_location;
using orx::libs::core::timestamp;
using ::testing::ElementsAre;
using ::testing::Pair;
using ::testing::StartsWith;
using line = std::pair<int, std::string>;

const timestamp stamp(1700000000042);  // 2023-11-14 22:13:20.042
const std::string file = std::string(orx::libs::core::constants::source_directory) + "/src/x.cpp";
constexpr int debug = orx::libs::core::component_logger::DEBUG;

// Waits, at most 5 s, until the logger sees a collector (`present`) or none.
bool wait_for_collector(const orx::libs::core::logger& log, bool present = true) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (log.is_enabled(debug) != present) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

std::string receive(zmq::socket_t& pull) {
    zmq::message_t message;
    return pull.recv(message) ? message.to_string() : "<nothing>";
}

// The service's root logger, its debug socket connected to a PULL socket of the test.
class logger_test : public ::testing::Test {
protected:
    logger_test() {
        m_pull.set(zmq::sockopt::rcvtimeo, 5000);
        m_pull.bind(m_dir.ipc("debug"));
        m_log.connect(m_dir.ipc("debug"));
        EXPECT_TRUE(wait_for_collector(m_log));
        // The connection's own debug line goes out only if the collector was seen in
        // time for it: every test starts after the lines logged so far.
        m_log.debug("ready");
        for (int i = 0; i < 3 && receive().find(" ready") == std::string::npos; ++i) {
        }
    }

    std::string receive() { return ::receive(m_pull); }
    std::vector<line> system_lines() const {
        std::vector<line> out;
        for (const auto& l : m_sink->lines())
            out.emplace_back(l.priority, l.text);
        return out;
    }

    orx::test::temp_dir m_dir;
    zmq::context_t m_context;
    zmq::socket_t m_pull{m_context, zmq::socket_type::pull};
    std::shared_ptr<orx::test::capturing_system_log> m_sink = std::make_shared<orx::test::capturing_system_log>();
    orx::libs::core::logger m_log{"tarnwick", "main", m_sink};
};

TEST_F(logger_test, system_log_lines_have_their_priorities_and_show_debug_only_in_debug_mode) {
    m_log.error("e %1%").date_time(stamp) % 1;
    m_log.warning("w").date_time(stamp);
    m_log.info("i").date_time(stamp);
    m_log.debug("d").date_time(stamp);
    try {
        throw orx::libs::core::exception("boom", source_location(5, file.c_str(), "g"));
    } catch (...) {
        m_log.log_exception(source_location(7, file.c_str(), "f"));
    }
    m_log.log_error(boost::system::errc::make_error_code(boost::system::errc::timed_out),
                    source_location(3, file.c_str(), "f"));
    m_log.set_debug(true);
    m_log.debug("shown").date_time(stamp);
    EXPECT_EQ(m_sink->identity(), "tarnwick");
    EXPECT_EQ(m_sink->options(), LOG_PERROR);
    EXPECT_THAT(system_lines(),
                ElementsAre(line(LOG_INFO, "Starting tarnwick"), line(LOG_ERR, "e 1"), line(LOG_WARNING, "w"),
                            line(LOG_INFO, "i"), line(LOG_ERR, "/src/x.cpp:7 Caught exeption"),
                            line(LOG_ERR, "/src/x.cpp:5 boom"), Pair(LOG_ERR, StartsWith("/src/x.cpp:3: ")),
                            line(LOG_DEBUG, "2023-11-14 22:13:20.042 shown")));
    for (const char* body : {"e 1", "w", "i", "d"})
        EXPECT_EQ(receive(), std::string("&tarnwick:main 2023-11-14 22:13:20.042 ") + body);
}

TEST_F(logger_test, socket_lines_carry_component_date_indentation_and_location) {
    auto core = m_log.component("core");
    {
        auto scope = core->enter_scope("outer");
        EXPECT_EQ(receive().substr(0, 15), "&tarnwick:core ");
        core->info("in").date_time(stamp).location(source_location(9, file.c_str(), "f"));
        EXPECT_EQ(receive(), "&tarnwick:core 2023-11-14 22:13:20.042     | /src/x.cpp:9 in");
    }
    core->info("out").date_time(stamp);
    EXPECT_EQ(receive(), "&tarnwick:core 2023-11-14 22:13:20.042 out");
}

// Without a collector, lines other than debug wait in the socket's queue; debug lines
// are not even formatted, and flow again once a collector is connected.
TEST(logger_collector, debug_lines_go_out_while_a_collector_is_connected_other_lines_wait_for_one) {
    orx::test::temp_dir dir;
    zmq::context_t context;
    zmq::socket_t pull{context, zmq::socket_type::pull};
    pull.set(zmq::sockopt::rcvtimeo, 5000);
    orx::libs::core::logger log{"tarnwick", "main", std::make_shared<orx::test::capturing_system_log>()};
    log.connect(dir.ipc("debug"));
    EXPECT_FALSE(log.is_enabled(debug));
    log.debug("early").date_time(stamp);
    log.info("queued").date_time(stamp);
    pull.bind(dir.ipc("debug"));
    ASSERT_TRUE(wait_for_collector(log));
    log.debug("late").date_time(stamp);
    EXPECT_EQ(receive(pull), "&tarnwick:main 2023-11-14 22:13:20.042 queued");
    EXPECT_EQ(receive(pull), "&tarnwick:main 2023-11-14 22:13:20.042 late");
    pull.close();
    EXPECT_TRUE(wait_for_collector(log, false));
}

}  // namespace
