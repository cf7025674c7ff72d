#include "support/capturing_system_log.hpp"
#include "support/temp_dir.hpp"

#include <core/constants.hpp>
#include <core/logger.hpp>

#include <gmock/gmock.h>
#include <zmq.hpp>

namespace {

using orx::libs::core::source_location;
using orx::libs::core::timestamp;
using ::testing::ElementsAre;
using ::testing::Pair;
using ::testing::StartsWith;
using line = std::pair<int, std::string>;

const timestamp stamp(1700000000042);  // 2023-11-14 22:13:20.042
const std::string file = std::string(orx::libs::core::constants::source_directory) + "/src/x.cpp";

// The service's root logger, its debug socket connected to a PULL socket of the test.
class logger_test : public ::testing::Test {
protected:
    logger_test() {
        m_pull.set(zmq::sockopt::rcvtimeo, 5000);
        m_pull.bind(m_dir.ipc("debug"));
        m_log.connect(m_dir.ipc("debug"));
        EXPECT_THAT(receive(), ::testing::EndsWith(" Connected to socket"));
    }

    std::string receive() {
        zmq::message_t message;
        return m_pull.recv(message) ? message.to_string() : "<nothing>";
    }
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

}  // namespace
