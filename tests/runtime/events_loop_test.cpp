#include "runtime_fixture.hpp"

#include "core/exception.hpp"

#include <gmock/gmock.h>

#include <csignal>
#include <unistd.h>

namespace runtime_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class events_loop : public loop_test {};

TEST_F(events_loop, handler_failure_is_logged_and_later_handlers_run) {
    std::vector<std::string> ran;
    m_loop->post([&] { ran.push_back("before"); }, CORE_CURRENT_LOCATION);
    m_loop->post([] { CORE_CHECK(1 + 1 == 3); }, CORE_CURRENT_LOCATION);
    m_loop->post([] { throw 42; }, CORE_CURRENT_LOCATION);
    m_loop->post(
        [&] {
            ran.push_back("after");
            m_loop->stop();
        },
        CORE_CURRENT_LOCATION);
    EXPECT_TRUE(run_loop(5s, true));
    EXPECT_THAT(ran, ElementsAre("before", "after"));
    EXPECT_THAT(m_log->texts(3),
                ElementsAre(HasSubstr("Caught exeption"), HasSubstr("check failed: 1 + 1 == 3"),
                            HasSubstr("Caught exeption"), "Unknown exception"));
}

TEST_F(events_loop, run_without_work_returns_at_once) {
    EXPECT_TRUE(finishes_within([this] { m_loop->run_catch_exceptions(CORE_CURRENT_LOCATION); }, 5s));
    EXPECT_TRUE(m_log->texts(3).empty());
}

TEST_F(events_loop, work_keeps_the_loop_running_until_released) {
    auto work = m_loop->create_work();
    std::atomic<bool> returned{false};
    std::thread runner([&] {
        m_loop->run();
        returned = true;
    });
    std::promise<void> ran;
    m_loop->post([&] { ran.set_value(); }, CORE_CURRENT_LOCATION);
    ASSERT_EQ(ran.get_future().wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(returned);
    EXPECT_TRUE(finishes_within([&] {
        work.reset();
        runner.join();
    }, 5s));
    EXPECT_TRUE(returned);
}

TEST_F(events_loop, destruction_runs_the_handlers_still_queued) {
    auto loop = m_core->create_events_loop("second");
    std::vector<int> ran;
    for (int i = 0; i < 3; ++i)
        loop->post([&ran, i] { ran.push_back(i); }, CORE_CURRENT_LOCATION);
    loop.reset();
    EXPECT_THAT(ran, ElementsAre(0, 1, 2));
}

TEST_F(events_loop, sigterm_stops_the_loop_and_the_signal_thread_ends) {
    auto handle = m_loop->stop_on_signals();
    auto raise = m_loop->get_timers().create_timer(
        10ms, "raise", [](auto) { ::kill(::getpid(), SIGTERM); }, CORE_CURRENT_LOCATION);
    bool expired = false;
    auto limit = m_loop->get_timers().create_timer(
        5s, "limit",
        [&](auto) {
            expired = true;
            m_loop->stop();
        },
        CORE_CURRENT_LOCATION);
    m_loop->run_catch_exceptions(CORE_CURRENT_LOCATION);
    EXPECT_FALSE(expired);
    EXPECT_TRUE(m_loop->is_stopped());
    EXPECT_TRUE(handle->signal_is_received());
    EXPECT_TRUE(finishes_within([&] { handle.reset(); }, 5s));
}

TEST_F(events_loop, signal_handle_destroyed_without_signal_ends_its_thread) {
    auto handle = m_loop->stop_on_signals();
    EXPECT_FALSE(handle->signal_is_received());
    EXPECT_TRUE(finishes_within([&] { handle.reset(); }, 5s));
    EXPECT_FALSE(m_loop->is_stopped());
}

}  // namespace
}  // namespace runtime_test
