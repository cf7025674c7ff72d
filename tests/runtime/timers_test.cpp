#include "runtime_fixture.hpp"

#include "core/exception.hpp"

#include <gmock/gmock.h>

namespace runtime_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using time_point = core::timer::time_point;

class timers : public loop_test {
protected:
    time_point now() const { return m_loop->get_timers().current_time_point(); }

    core::timer::ptr stop_after(std::chrono::milliseconds delay) {
        return m_loop->get_timers().create_timer(delay, "stop", [this](auto) { m_loop->stop(); }, CORE_CURRENT_LOCATION);
    }
};

// What happens to a one-shot timer before it expires, and which calls follow.
struct one_shot_case {
    std::string name;
    std::function<void(core::timer::ptr& timer, time_point later)> action;
    bool called_at_later;  // otherwise: never called
};

class one_shot_timers : public timers, public ::testing::WithParamInterface<one_shot_case> {};

TEST_P(one_shot_timers, call_only_for_their_latest_arming) {
    const auto& c = GetParam();
    std::vector<time_point> calls;
    auto timer = m_loop->get_timers().create_timer(
        40ms, "one shot", [&](time_point at) { calls.push_back(at); }, CORE_CURRENT_LOCATION);
    const time_point later = now() + 80ms;
    c.action(timer, later);
    auto stop = stop_after(200ms);
    EXPECT_TRUE(run_loop());
    if (c.called_at_later)
        EXPECT_THAT(calls, ElementsAre(later));
    else
        EXPECT_TRUE(calls.empty());
    if (timer) {
        EXPECT_FALSE(timer->is_waiting());
    }
}

INSTANTIATE_TEST_SUITE_P(
    actions, one_shot_timers,
    ::testing::Values(one_shot_case{"destroyed", [](auto& t, auto) { t.reset(); }, false},
                      one_shot_case{"stopped", [](auto& t, auto) { t->stop(); }, false},
                      one_shot_case{"reset_later", [](auto& t, auto later) { t->reset(later); }, true},
                      one_shot_case{"stopped_then_reset", [](auto& t, auto later) {
                                        t->stop();
                                        t->reset(later);
                                    }, true}),
    [](const auto& info) { return info.param.name; });

// Both timers expire in the same turn of the loop, so the second one's completion
// is already queued when the first one's callback re-arms it.
TEST_F(timers, completion_already_queued_does_not_call_a_rearmed_timer) {
    const time_point past = now() - 1ms;
    std::vector<time_point> second_calls;
    core::timer::ptr second;
    auto first = m_loop->get_timers().create_timer(
        past - 1ms, "first", [&](auto) { second->reset(past); }, CORE_CURRENT_LOCATION);
    second = m_loop->get_timers().create_timer(
        past, "second", [&](time_point at) { second_calls.push_back(at); }, CORE_CURRENT_LOCATION);
    auto stop = stop_after(100ms);
    EXPECT_TRUE(run_loop());
    EXPECT_THAT(second_calls, ElementsAre(past));
}

TEST_F(timers, timer_may_destroy_itself_in_its_callback) {
    int calls = 0;
    core::timer::ptr timer = m_loop->get_timers().create_timer(
        1ms, "self",
        [&](auto) {
            ++calls;
            timer.reset();
        },
        CORE_CURRENT_LOCATION);
    auto stop = stop_after(50ms);
    EXPECT_TRUE(run_loop());
    EXPECT_EQ(calls, 1);
}

TEST_F(timers, periodic_execute_now_fires_at_once_then_on_the_grid) {
    constexpr auto period = 20ms;
    std::vector<time_point> ticks;
    const time_point before = now();
    auto periodic = m_loop->create_periodic_timer(
        period, core::periodic_timer::execute_now{}, "grid",
        [&](time_point at) {
            ticks.push_back(at);
            if (ticks.size() == 3)
                m_loop->stop();
        },
        CORE_CURRENT_LOCATION);
    const time_point after = now();
    EXPECT_TRUE(run_loop());
    ASSERT_EQ(ticks.size(), 3u);
    EXPECT_GE(ticks[0], before);
    EXPECT_LE(ticks[0], after);
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        EXPECT_GT(ticks[i], ticks[i - 1]);
        EXPECT_EQ((ticks[i] - ticks[i - 1]) % period, std::chrono::nanoseconds::zero());
    }
}

TEST_F(timers, late_tick_is_called_once_and_keeps_the_grid) {
    constexpr auto period = 50ms;
    std::vector<std::pair<time_point, time_point>> ticks;  // (tick, when handled)
    auto periodic = m_loop->create_periodic_timer(
        period, "late",
        [&](time_point at) {
            ticks.emplace_back(at, now());
            if (ticks.size() == 2)
                m_loop->stop();
        },
        CORE_CURRENT_LOCATION);
    const time_point created = now();
    // A handler that holds the loop past the first two grid points.
    m_loop->post(
        [] {
            const auto until = std::chrono::steady_clock::now() + 130ms;
            while (std::chrono::steady_clock::now() < until) {
            }
        },
        CORE_CURRENT_LOCATION);
    EXPECT_TRUE(run_loop());
    ASSERT_EQ(ticks.size(), 2u);
    const auto [first, first_handled] = ticks[0];
    EXPECT_GE(first_handled - first, period);  // the loop was late by more than a period
    EXPECT_LE(first, created + period);
    // The next tick is the first grid point after the late handling, not the missed one.
    EXPECT_EQ((ticks[1].first - first) % period, std::chrono::nanoseconds::zero());
    EXPECT_GT(ticks[1].first, first_handled);
    EXPECT_LE(ticks[1].first, first_handled + period);
}

// A periodic timer started again after its first tick, and its next period.
struct new_grid_case {
    std::string name;
    std::function<void(core::periodic_timer&)> start_again;
    std::chrono::milliseconds next_period;
};

class periodic_new_grids : public timers, public ::testing::WithParamInterface<new_grid_case> {};

TEST_P(periodic_new_grids, start_one_period_after_the_call) {
    const auto& c = GetParam();
    std::vector<time_point> ticks;
    time_point before{}, after{};
    core::periodic_timer::ptr periodic;
    periodic = m_loop->create_periodic_timer(
        20ms, "again",
        [&](time_point at) {
            ticks.push_back(at);
            if (ticks.size() == 1) {
                periodic->stop();
                m_loop->post(
                    [&] {
                        before = now();
                        c.start_again(*periodic);
                        after = now();
                    },
                    CORE_CURRENT_LOCATION);
            } else {
                m_loop->stop();
            }
        },
        CORE_CURRENT_LOCATION);
    EXPECT_TRUE(run_loop());
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_GE(ticks[1], before + c.next_period);
    EXPECT_LE(ticks[1], after + c.next_period);
}

INSTANTIATE_TEST_SUITE_P(
    calls, periodic_new_grids,
    ::testing::Values(new_grid_case{"restart", [](auto& p) { p.restart(); }, 20ms},
                      new_grid_case{"reset_to_a_longer_period", [](auto& p) { p.reset(50ms); }, 50ms}),
    [](const auto& info) { return info.param.name; });

TEST_F(timers, expire_now_fires_at_once_and_does_nothing_when_stopped) {
    std::vector<time_point> ticks;
    auto periodic = m_loop->create_periodic_timer(
        10s, "expire", [&](time_point at) { ticks.push_back(at); }, CORE_CURRENT_LOCATION);
    const time_point before = now();
    periodic->expire_now();
    const time_point after = now();
    auto stopped = m_loop->create_periodic_timer(
        10s, "stopped", [&](time_point at) { ticks.push_back(at); }, CORE_CURRENT_LOCATION);
    stopped->stop();
    stopped->expire_now();
    auto stop = stop_after(100ms);
    EXPECT_TRUE(run_loop());
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_GE(ticks[0], before);
    EXPECT_LE(ticks[0], after);
}

TEST_F(timers, throwing_periodic_callback_keeps_ticking_and_is_logged) {
    int calls = 0;
    auto periodic = m_loop->create_periodic_timer(
        5ms, "thrower",
        [&](auto) {
            if (++calls == 3)
                m_loop->stop();
            CORE_CHECK(calls > 3);
        },
        CORE_CURRENT_LOCATION);
    EXPECT_TRUE(run_loop(5s, true));
    EXPECT_EQ(calls, 3);
    const auto errors = m_log->texts(3);
    ASSERT_EQ(errors.size(), 6u);
    for (std::size_t i = 0; i < errors.size(); i += 2) {
        EXPECT_THAT(errors[i], HasSubstr("runtime_fixture.hpp:"));
        EXPECT_THAT(errors[i], HasSubstr(" Caught exeption"));
        EXPECT_THAT(errors[i + 1], HasSubstr("timers_test.cpp:"));
        EXPECT_THAT(errors[i + 1], HasSubstr("check failed: calls > 3"));
    }
}

struct bad_period {
    std::string name;
    std::function<void(core::events_loop&)> create;
};

class periodic_periods : public timers, public ::testing::WithParamInterface<bad_period> {};

TEST_P(periodic_periods, that_are_not_positive_are_refused) {
    EXPECT_THAT([&] { GetParam().create(*m_loop); },
                ::testing::ThrowsMessage<core::exception>(HasSubstr("periodic timer period must be positive")));
}

auto nothing = [](core::timer::time_point) {};

INSTANTIATE_TEST_SUITE_P(
    periods, periodic_periods,
    ::testing::Values(
        bad_period{"zero", [](core::events_loop& l) { l.create_periodic_timer(0ns, "p", nothing, CORE_CURRENT_LOCATION); }},
        bad_period{"negative",
                   [](core::events_loop& l) { l.create_periodic_timer(-1s, "p", nothing, CORE_CURRENT_LOCATION); }},
        bad_period{"zero_execute_now",
                   [](core::events_loop& l) {
                       l.create_periodic_timer(0ns, core::periodic_timer::execute_now{}, "p", nothing,
                                               CORE_CURRENT_LOCATION);
                   }},
        bad_period{"reset_to_zero",
                   [](core::events_loop& l) {
                       auto p = l.create_periodic_timer(1s, "p", nothing, CORE_CURRENT_LOCATION);
                       p->reset(0ns);
                   }}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace runtime_test
