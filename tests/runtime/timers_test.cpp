#include "runtime_fixture.hpp"

#include "core/exception.hpp"

namespace runtime_test {
namespace {

using timers = loop_test;

// The timers expire in the same turn of the loop, so the completions of the
// later ones are already queued when the first one's callback re-arms, stops
// or destroys them.
TEST_F(timers, completions_queued_before_a_rearm_stop_or_destruction_do_not_call) {
    const time_point past = now() - 1ms;
    time_point rearmed{};
    std::vector<std::string> calls;
    core::timer::ptr rearm, stop, destroy;
    auto first = timer_at(past - 1ms, [&](auto) {
        rearmed = now();
        rearm->reset(rearmed);
        stop->stop();
        destroy.reset();
    });
    rearm = timer_at(past, [&](time_point at) {
        calls.push_back(at == rearmed ? "rearmed" : "old");
        rearm.reset();  // a timer may destroy itself in its callback
        m_loop->stop();
    });
    stop = timer_at(past, [&](auto) { calls.push_back("stopped"); });
    destroy = timer_at(past, [&](auto) { calls.push_back("destroyed"); });
    EXPECT_TRUE(run_loop());
    EXPECT_THAT(calls, ElementsAre("rearmed"));
}

// The first callback is slow, so the loop misses grid points; each callback
// throws, and the loop logs and resumes with the timer already re-armed.
TEST_F(timers, periodic_fires_at_once_then_on_its_grid_skipping_missed_points) {
    constexpr auto period = 10ms;
    std::vector<std::pair<time_point, time_point>> ticks;  // (tick, when handled)
    time_point slow_until{};
    const time_point before = now();
    auto periodic = m_loop->create_periodic_timer(
        period, core::periodic_timer::execute_now{}, "grid",
        [&](time_point at) {
            ticks.emplace_back(at, now());
            if (ticks.size() == 1)
                for (slow_until = now() + 3 * period; now() < slow_until;) {
                }
            if (ticks.size() == 3)
                m_loop->stop();
            CORE_CHECK(ticks.size() > 3);
        },
        CORE_CURRENT_LOCATION);
    const time_point after = now();
    EXPECT_TRUE(run_loop(5s, true));
    ASSERT_EQ(ticks.size(), 3u);
    EXPECT_GE(ticks[0].first, before);
    EXPECT_LE(ticks[0].first, after);
    EXPECT_GT(ticks[1].first, ticks[0].first);
    EXPECT_GT(ticks[2].first, slow_until);                // the missed points are skipped,
    EXPECT_LE(ticks[2].first, ticks[1].second + period);  // and no more than those
    for (std::size_t i = 1; i < 3; ++i)
        EXPECT_EQ((ticks[i].first - ticks[0].first) % period, 0ns);
    EXPECT_EQ(m_log->texts(LOG_ERR).size(), 6u);  // per throw: "Caught exeption" and the check's text
}

TEST_F(timers, periodic_period_must_be_positive) {
    const auto refused = ::testing::ThrowsMessage<core::exception>(HasSubstr("periodic timer period must be positive"));
    const auto nothing = [](time_point) {};
    for (const auto period : {0ns, -1ns})
        EXPECT_THAT([&] { m_loop->create_periodic_timer(period, "p", nothing, CORE_CURRENT_LOCATION); }, refused);
    auto periodic = m_loop->create_periodic_timer(1s, "p", nothing, CORE_CURRENT_LOCATION);
    EXPECT_THAT([&] { periodic->reset(0ns); }, refused);
}

}  // namespace
}  // namespace runtime_test
