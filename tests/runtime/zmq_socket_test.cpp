#include "runtime_fixture.hpp"

#include "core/exception.hpp"
#include "core/zmq/asio_socket.hpp"

#include <gmock/gmock.h>

#include <boost/system/system_error.hpp>

#include <ctime>
#include <stdexcept>

namespace runtime_test {
namespace {

namespace zmq = core::zmq;
using socket_type = zmq::socket::type;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

zmq::message text(const std::string& s) { return zmq::message(s); }

class zmq_socket : public loop_test {
protected:
    // A sender that never waits: it queues without limit.
    zmq::asio_socket unbounded_pusher(const std::string& to) {
        zmq::asio_socket pusher(m_loop->get_io_context(), ZMQ_PUSH);
        pusher.set_option(ZMQ_SNDHWM, 0);
        pusher.connect(to);
        return pusher;
    }
};

TEST_F(zmq_socket, burst_sent_before_the_loop_runs_arrives_whole_and_in_order) {
    constexpr int count = 10000;
    auto puller = m_loop->get_zmq().bind(socket_type::pull, m_dir.ipc("burst"));
    auto pusher = unbounded_pusher(m_dir.ipc("burst"));
    for (int i = 0; i < count; ++i) {
        auto part = text(std::to_string(i));
        pusher.send(part);
    }
    int received = 0;
    bool in_order = true;
    puller->set_receive_callback([&](zmq::message& part) {
        in_order = in_order && part.string_view() == std::to_string(received);
        if (++received == count)
            m_loop->stop();
    });
    EXPECT_TRUE(run_loop());
    EXPECT_EQ(received, count);
    EXPECT_TRUE(in_order);
}

TEST_F(zmq_socket, throwing_callback_still_gets_the_next_message) {
    auto puller = m_loop->get_zmq().bind(socket_type::pull, m_dir.ipc("throw"));
    auto pusher = m_loop->get_zmq().connect(socket_type::push, m_dir.ipc("throw"));
    std::vector<std::string> received;
    puller->set_receive_callback([&](zmq::message& part) {
        received.push_back(part.string_view().to_string());
        if (received.size() == 1)
            throw std::runtime_error("first message refused");
        m_loop->stop();
    });
    pusher->send(text("1"));
    pusher->send(text("2"));
    EXPECT_TRUE(run_loop(5s, true));
    EXPECT_THAT(received, ElementsAre("1", "2"));
    EXPECT_THAT(m_log->texts(3), ElementsAre(HasSubstr("Caught exeption"), HasSubstr("first message refused")));
}

TEST_F(zmq_socket, three_parts_are_taken_with_receive_more) {
    auto puller = m_loop->get_zmq().bind(socket_type::pull, m_dir.ipc("parts"));
    auto pusher = m_loop->get_zmq().connect(socket_type::push, m_dir.ipc("parts"));
    std::vector<std::pair<std::string, bool>> parts;
    puller->set_receive_callback([&](zmq::message& first) {
        parts.emplace_back(first.string_view().to_string(), first.more());
        for (int i = 0; i < 2; ++i) {
            auto next = puller->receive_more();
            parts.emplace_back(next.string_view().to_string(), next.more());
        }
        m_loop->stop();
    });
    pusher->send(text("a"), zmq::flags::sndmore);
    pusher->send(text("b"), zmq::flags::sndmore);
    pusher->send(text("c"));
    EXPECT_TRUE(run_loop());
    EXPECT_THAT(parts, ElementsAre(std::make_pair("a", true), std::make_pair("b", true), std::make_pair("c", false)));
}

TEST_F(zmq_socket, replaced_callback_takes_the_following_messages) {
    auto puller = m_loop->get_zmq().bind(socket_type::pull, m_dir.ipc("replace"));
    auto pusher = m_loop->get_zmq().connect(socket_type::push, m_dir.ipc("replace"));
    std::vector<std::string> received;
    puller->set_receive_callback([&](zmq::message& part) {
        received.push_back("first:" + part.string_view().to_string());
        puller->set_receive_callback([&](zmq::message& next) {
            received.push_back("second:" + next.string_view().to_string());
            if (received.size() == 3)
                m_loop->stop();
        });
    });
    for (const char* t : {"1", "2", "3"})
        pusher->send(text(t));
    EXPECT_TRUE(run_loop());
    EXPECT_THAT(received, ElementsAre("first:1", "second:2", "second:3"));
}

TEST_F(zmq_socket, socket_destroyed_by_its_callback_gets_nothing_more) {
    auto puller = m_loop->get_zmq().bind(socket_type::pull, m_dir.ipc("self"));
    auto pusher = m_loop->get_zmq().connect(socket_type::push, m_dir.ipc("self"));
    int calls = 0;
    puller->set_receive_callback([&](zmq::message&) {
        ++calls;
        puller.reset();
    });
    for (const char* t : {"1", "2", "3"})
        pusher->send(text(t));
    // The remaining messages are queued; give the loop time to (wrongly) deliver them.
    auto stop = m_loop->get_timers().create_timer(200ms, "stop", [&](auto) { m_loop->stop(); }, CORE_CURRENT_LOCATION);
    EXPECT_TRUE(run_loop());
    EXPECT_EQ(calls, 1);
}

TEST_F(zmq_socket, socket_destroyed_with_a_receive_pending_calls_nothing) {
    auto puller = m_loop->get_zmq().bind(socket_type::pull, m_dir.ipc("pending"));
    auto pusher = m_loop->get_zmq().connect(socket_type::push, m_dir.ipc("pending"));
    int calls = 0;
    puller->set_receive_callback([&](zmq::message&) { ++calls; });
    // Let the receive start waiting on the socket first.
    m_loop->post([&] { m_loop->stop(); }, CORE_CURRENT_LOCATION);
    EXPECT_TRUE(run_loop());
    pusher->send(text("late"));
    puller.reset();
    auto stop = m_loop->get_timers().create_timer(200ms, "stop", [&](auto) { m_loop->stop(); }, CORE_CURRENT_LOCATION);
    EXPECT_TRUE(run_loop());
    EXPECT_EQ(calls, 0);
}

// A connected socket queues for its endpoint even before anyone listens there;
// a bound one without peer has nowhere to queue.
TEST_F(zmq_socket, bound_push_without_peer_does_not_wait) {
    auto pusher = m_loop->get_zmq().bind(socket_type::push, m_dir.ipc("nobody"));
    EXPECT_FALSE(pusher->try_send(text("x")));
}

struct open_failure {
    std::string name;
    bool bind;
    socket_type type;
    std::string endpoint;  // "{dir}": the test's folder; "{taken}": a loopback TCP endpoint already bound
    std::string message;   // after "zmq::socket_impl::<op> to <endpoint>: "
};

void replace(std::string& text, const std::string& placeholder, const std::string& value) {
    const auto at = text.find(placeholder);
    if (at != std::string::npos)
        text.replace(at, placeholder.size(), value);
}

class zmq_open_failures : public zmq_socket, public ::testing::WithParamInterface<open_failure> {};

TEST_P(zmq_open_failures, raise_their_text) {
    const auto& c = GetParam();
    // An ipc:// bind takes the path over from an earlier one, so "in use" needs TCP.
    zmq::asio_socket holder(m_loop->get_io_context(), ZMQ_PULL);
    holder.bind("tcp://127.0.0.1:*");
    std::string taken;
    holder.get_option(ZMQ_LAST_ENDPOINT, taken);
    std::string where = c.endpoint;
    replace(where, "{dir}", m_dir.path());
    replace(where, "{taken}", taken);
    const std::string expected =
        std::string("zmq::socket_impl::") + (c.bind ? "bind" : "connect") + " to " + where + ": " + c.message;
    try {
        auto opened = c.bind ? m_loop->get_zmq().bind(c.type, where) : m_loop->get_zmq().connect(c.type, where);
        FAIL() << "no exception";
    } catch (const core::exception& e) {
        EXPECT_EQ(e.error(), expected);
        EXPECT_THAT(e.get_source_location().function().to_string(), HasSubstr(c.bind ? "::bind" : "::connect"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    endpoints, zmq_open_failures,
    ::testing::Values(
        open_failure{"in_use", true, socket_type::push, "{taken}", "Address already in use"},
        open_failure{"unknown_transport", false, socket_type::pull, "foo://nowhere", "Protocol not supported"},
        open_failure{"no_address", true, socket_type::pub, "tcp://", "Invalid argument"},
        open_failure{"unknown_type", false, static_cast<socket_type>(7), "ipc://{dir}/x", "Invalid argument"}),
    [](const auto& info) { return info.param.name; });

TEST_F(zmq_socket, waiting_loop_uses_next_to_no_cpu) {
    auto puller = m_loop->get_zmq().bind(socket_type::pull, m_dir.ipc("idle-pull"));
    auto replier = m_loop->get_zmq().bind(socket_type::rep, m_dir.ipc("idle-rep"));
    auto publisher = m_loop->get_zmq().bind(socket_type::pub, m_dir.ipc("idle-pub"));
    auto stream = m_loop->create_zmq_raw_message_stream(m_dir.ipc("idle-pub"));
    auto subscription = stream->subscribe("", [](boost::string_view) {});
    int calls = 0;
    puller->set_receive_callback([&](zmq::message&) { ++calls; });
    replier->set_receive_callback([&](zmq::message&) { ++calls; });
    auto stop = m_loop->get_timers().create_timer(2s, "stop", [&](auto) { m_loop->stop(); }, CORE_CURRENT_LOCATION);

    auto cpu_seconds = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    };
    const double before = cpu_seconds();
    EXPECT_TRUE(run_loop(5s));
    const double used = cpu_seconds() - before;
    EXPECT_EQ(calls, 0);
    // A loop that spins on the sockets would use the whole two seconds.
    EXPECT_LT(used, 0.2);
}

}  // namespace
}  // namespace runtime_test
