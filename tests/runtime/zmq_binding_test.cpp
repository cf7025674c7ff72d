#include "runtime_fixture.hpp"

#include <boost/asio/error.hpp>

#include <poll.h>

#include <tuple>

namespace runtime_test {
namespace {

class zmq_binding : public loop_test {
protected:
    // A bound and a connected PAIR socket that have exchanged one message, so the connection is up.
    std::pair<zmq::asio_socket, zmq::asio_socket> connected_pair(const std::string& name) {
        zmq::asio_socket a(io(), ZMQ_PAIR);
        zmq::asio_socket b(io(), ZMQ_PAIR);
        a.set_option(ZMQ_RCVTIMEO, 5000);
        a.bind(m_dir.ipc(name));
        b.connect(m_dir.ipc(name));
        send_text(b, "hello");
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
            send_text(b, "ping");
            pollfd signalled{descriptor, POLLIN, 0};
            ASSERT_EQ(::poll(&signalled, 1, 5000), 1);
            // libzmq looks at its commands during a send only when a millisecond
            // has passed since it last did; let it, so that this send takes the signal.
            for (const auto until = now() + 10ms; now() < until;) {
            }
            send_text(a, "pong");
        },
        CORE_CURRENT_LOCATION);
    EXPECT_TRUE(run_loop(3s));
    EXPECT_THAT(received, ElementsAre("ping"));
}

// ZeroMQ closes its descriptor itself: had the binding closed it too, libzmq
// would abort on its next use of a reused descriptor number.
TEST_F(zmq_binding, sockets_closed_with_a_receive_pending_complete_it_once_as_aborted) {
    std::vector<boost::system::error_code> completions;
    for (int round = 0; round < 20; ++round) {
        zmq::asio_socket s(io(), ZMQ_PULL);
        s.bind(m_dir.ipc("churn" + std::to_string(round)));
        s.async_receive([&](const boost::system::error_code& error, zmq::message&) { completions.push_back(error); });
        m_loop->post([&] { m_loop->stop(); }, CORE_CURRENT_LOCATION);
        ASSERT_TRUE(run_loop());
    }
    auto [a, b] = connected_pair("after-churn");  // on descriptor numbers used by the closed ones
    a.async_receive([&](const boost::system::error_code& error, zmq::message&) {
        completions.push_back(error);
        m_loop->stop();
    });
    send_text(b, "still works");
    EXPECT_TRUE(run_loop());
    std::vector<boost::system::error_code> expected(20, boost::asio::error::operation_aborted);
    expected.emplace_back();
    EXPECT_EQ(completions, expected);
}

// The binding's own port forms: "!" a random dynamic port, "*" or "!" or nothing
// before a bracketed range of first and last port, either of them left out.
TEST_F(zmq_binding, dynamic_port_forms_bind_within_their_range_or_are_refused) {
    // clang-format off
    for (const auto& [form, first, last] : std::vector<std::tuple<std::string, int, int>>{
             {"!", 49152, 65535}, {"*[50100-50140]", 50100, 50140}, {"![50100-50140]", 50100, 50140},
             {"[50100-50140]", 50100, 50140}, {"*[60000-]", 60000, 65535}, {"![-50000]", 49152, 50000},
             {"*[50140-50100]", 0, 0}, {"*[1-70000]", 0, 0}, {"*[50100]", 0, 0}, {"![50100-50140)", 0, 0}}) {
        // clang-format on
        zmq::asio_socket s(io(), ZMQ_PULL);
        boost::system::error_code error;
        s.bind("tcp://127.0.0.1:" + form, error);
        std::string bound = "0";  // the port of a refused form
        if (!error)
            s.get_option(ZMQ_LAST_ENDPOINT, bound);
        const int port = std::stoi(bound.substr(bound.rfind(':') + 1));
        EXPECT_EQ(error.value(), first == 0 ? EINVAL : 0) << form;
        EXPECT_TRUE(port >= first && port <= last) << form << " bound " << port;
    }
}

}  // namespace
}  // namespace runtime_test
