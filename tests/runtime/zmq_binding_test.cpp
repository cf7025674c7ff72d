#include "runtime_fixture.hpp"

#include "core/zmq/asio_socket.hpp"

#include <gmock/gmock.h>

#include <boost/asio/error.hpp>

#include <poll.h>

namespace runtime_test {
namespace {

namespace zmq = core::zmq;
using ::testing::ElementsAre;

class zmq_binding : public loop_test {
protected:
    boost::asio::io_context& io() { return m_loop->get_io_context(); }

    // A bound and a connected PAIR socket that have exchanged one message, so
    // the connection is up.
    std::pair<zmq::asio_socket, zmq::asio_socket> connected_pair(const std::string& name) {
        zmq::asio_socket a(io(), ZMQ_PAIR);
        zmq::asio_socket b(io(), ZMQ_PAIR);
        a.set_option(ZMQ_RCVTIMEO, 5000);
        a.bind(m_dir.ipc(name));
        b.connect(m_dir.ipc(name));
        zmq::message hello("hello");
        b.send(hello);
        zmq::message received;
        a.receive(received);
        return {std::move(a), std::move(b)};
    }
};

// ZeroMQ signals new input once on its descriptor; a send on the same socket may
// consume that signal before the loop looks at the descriptor.
TEST_F(zmq_binding, input_signalled_during_a_send_on_the_same_socket_is_delivered) {
    auto [a, b] = connected_pair("same-socket");
    int descriptor = -1;
    a.get_option(ZMQ_FD, descriptor);
    std::vector<std::string> received;
    a.async_receive([&](const boost::system::error_code& error, zmq::message& part) {
        if (!error)
            received.push_back(part.string_view().to_string());
        m_loop->stop();
    });
    // Runs after the receive found nothing and began waiting on the descriptor.
    m_loop->post(
        [&, &a = a, &b = b] {
            zmq::message ping("ping");
            b.send(ping);
            pollfd signalled{descriptor, POLLIN, 0};
            ASSERT_EQ(::poll(&signalled, 1, 5000), 1);
            // libzmq reads its command queue during a send at most once a millisecond.
            const auto until = std::chrono::steady_clock::now() + 10ms;
            while (std::chrono::steady_clock::now() < until) {
            }
            zmq::message pong("pong");
            a.send(pong);
        },
        CORE_CURRENT_LOCATION);
    EXPECT_TRUE(run_loop(3s));
    EXPECT_THAT(received, ElementsAre("ping"));
}

TEST_F(zmq_binding, cancelled_receive_completes_once_as_aborted) {
    auto [a, b] = connected_pair("cancel");
    std::vector<boost::system::error_code> completions;
    a.async_receive([&](const boost::system::error_code& error, zmq::message&) { completions.push_back(error); });
    m_loop->post([&, &a = a] { a.cancel(); }, CORE_CURRENT_LOCATION);
    m_loop->post(
        [&, &b = b] {
            zmq::message late("late");
            b.send(late);
        },
        CORE_CURRENT_LOCATION);
    auto stop = m_loop->get_timers().create_timer(200ms, "stop", [&](auto) { m_loop->stop(); }, CORE_CURRENT_LOCATION);
    EXPECT_TRUE(run_loop());
    EXPECT_THAT(completions, ElementsAre(boost::system::error_code(boost::asio::error::operation_aborted)));
    // The message is still there for the next receive.
    zmq::message late;
    a.receive(late);
    EXPECT_EQ(late.string_view(), "late");
}

TEST_F(zmq_binding, sockets_closed_with_a_receive_pending_leave_the_descriptors_alone) {
    for (int round = 0; round < 50; ++round) {
        zmq::asio_socket s(io(), ZMQ_PULL);
        s.bind(m_dir.ipc("churn" + std::to_string(round)));
        s.async_receive([](const boost::system::error_code&, zmq::message&) {});
        m_loop->post([&] { m_loop->stop(); }, CORE_CURRENT_LOCATION);
        ASSERT_TRUE(run_loop());
    }
    // Had a descriptor been closed twice, libzmq would abort on its next use of a reused one.
    auto [a, b] = connected_pair("after-churn");
    std::string received;
    a.async_receive([&](const boost::system::error_code&, zmq::message& part) {
        received = part.string_view().to_string();
        m_loop->stop();
    });
    zmq::message last("still works");
    b.send(last);
    EXPECT_TRUE(run_loop());
    EXPECT_EQ(received, "still works");
}

struct port_form {
    std::string name;
    std::string port;  // the port field after "tcp://127.0.0.1:"
    int first;         // the range the bound port lies in; 0: the form is refused as EINVAL
    int last;
};

class zmq_bind_ports : public zmq_binding, public ::testing::WithParamInterface<port_form> {};

TEST_P(zmq_bind_ports, pick_a_port_of_their_range) {
    const auto& c = GetParam();
    zmq::asio_socket s(io(), ZMQ_PULL);
    boost::system::error_code error;
    s.bind("tcp://127.0.0.1:" + c.port, error);
    if (c.first == 0) {
        EXPECT_EQ(error.value(), EINVAL);
        return;
    }
    ASSERT_FALSE(error) << error.message();
    std::string bound;
    s.get_option(ZMQ_LAST_ENDPOINT, bound);
    const int port = std::stoi(bound.substr(bound.rfind(':') + 1));
    EXPECT_GE(port, c.first);
    EXPECT_LE(port, c.last);
}

INSTANTIATE_TEST_SUITE_P(forms, zmq_bind_ports,
                         ::testing::Values(port_form{"libzmq_wildcard", "*", 1, 65535},
                                           port_form{"random", "!", 49152, 65535},
                                           port_form{"first_free_of_range", "*[50100-50140]", 50100, 50140},
                                           port_form{"random_of_range", "![50100-50140]", 50100, 50140},
                                           port_form{"bare_range", "[50100-50140]", 50100, 50140},
                                           port_form{"open_end", "*[60000-]", 60000, 65535},
                                           port_form{"open_start", "![-50000]", 49152, 50000},
                                           port_form{"reversed", "*[50140-50100]", 0, 0},
                                           port_form{"not_a_number", "![x-50100]", 0, 0},
                                           port_form{"beyond_the_last_port", "*[1-70000]", 0, 0},
                                           port_form{"no_dash", "*[50100]", 0, 0},
                                           port_form{"unclosed", "![50100-50140", 0, 0}),
                         [](const auto& info) { return info.param.name; });

TEST_F(zmq_binding, range_whose_ports_are_all_taken_is_in_use) {
    zmq::asio_socket holder(io(), ZMQ_PULL);
    holder.bind("tcp://127.0.0.1:*");
    std::string bound;
    holder.get_option(ZMQ_LAST_ENDPOINT, bound);
    const std::string port = bound.substr(bound.rfind(':') + 1);
    for (const char* mode : {"*", "!"}) {
        zmq::asio_socket s(io(), ZMQ_PULL);
        boost::system::error_code error;
        s.bind("tcp://127.0.0.1:" + std::string(mode) + "[" + port + "-" + port + "]", error);
        EXPECT_EQ(error.value(), EADDRINUSE) << mode;
    }
}

}  // namespace
}  // namespace runtime_test
