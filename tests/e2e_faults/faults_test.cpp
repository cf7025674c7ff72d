// Faults around the running service: peers that leave and come back, outputs
// nobody takes, endpoints held by someone else, stops under load and a restart
// after a hard kill. Every case drives the real binary over real sockets, and
// every wait is bounded.

#include "support/service_fixture.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <csignal>
#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace orx::test;
using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string reboot_request = R"({"mac":"001122aabbcc","message":{"reboot":{}}})";

// Repeats an attempt that itself waits for an answer (a bounded poll) until one
// succeeds or the bound passes; true when one did.
bool retry_until(const std::function<bool()>& attempt, std::chrono::milliseconds bound = 10s) {
    const auto end = std::chrono::steady_clock::now() + bound;
    for (;;) {
        if (attempt())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
    }
}

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

// A subscriber of the JSON output of its own, which can leave and come back.
class json_subscriber {
public:
    explicit json_subscriber(const std::string& endpoint) : m_socket(m_context, zmq::socket_type::sub) {
        m_socket.set(zmq::sockopt::linger, 0);
        m_socket.set(zmq::sockopt::subscribe, "");
        m_socket.connect(endpoint);
    }
    std::string next(std::chrono::milliseconds bound = 5s) { return service_peers::receive(m_socket, bound); }

private:
    zmq::context_t m_context;
    zmq::socket_t m_socket;
};

// Sends frames and requests as fast as the service takes them, from a thread of
// its own with sockets of its own, until stopped or for 30 seconds at most.
class load_generator {
public:
    explicit load_generator(const service_configuration& c)
        : m_frames(m_context, zmq::socket_type::push), m_requests(m_context, zmq::socket_type::push) {
        for (auto* s : {&m_frames, &m_requests})
            s->set(zmq::sockopt::linger, 0);
        m_frames.connect(c.binary_input);
        m_requests.connect(c.json_input);
        m_thread = std::thread([this] {
            const auto end = std::chrono::steady_clock::now() + 30s;
            for (long i = 0; !m_stop && std::chrono::steady_clock::now() < end; ++i) {
                // Never block: the service may be gone while this still sends. A full
                // queue means the service is busy; wait a little for room.
                if (m_frames.send(zmq::buffer(frames::heartbeat), zmq::send_flags::dontwait))
                    counted_send();
                else
                    wait_for_room();
                if (i % 4 == 0)
                    (void)m_requests.send(zmq::buffer(reboot_request), zmq::send_flags::dontwait);
            }
        });
    }
    ~load_generator() { stop(); }
    void stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    // True once `count` frames were queued within the bound.
    bool wait_until_sent(long count, std::chrono::milliseconds bound) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_sent_changed.wait_for(lock, bound, [&] { return m_sent >= count; });
    }

private:
    void counted_send() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_sent;
        }
        m_sent_changed.notify_all();
    }
    void wait_for_room() {
        zmq::pollitem_t item{m_frames.handle(), 0, ZMQ_POLLOUT, 0};
        zmq::poll(&item, 1, 100ms);
    }

    zmq::context_t m_context;
    zmq::socket_t m_frames, m_requests;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_sent_changed;
    long m_sent = 0;  // guarded by m_mutex
    std::thread m_thread;
};

class service_faults : public service_run {
protected:
    // The service with the configuration as the test has changed it.
    std::unique_ptr<child_process> start() {
        m_config.write();
        return service_run::start();
    }
};

TEST_F(service_faults, json_subscriber_that_leaves_and_comes_back_gets_documents_again) {
    service_peers peers(m_config);
    auto service = start();
    ASSERT_NE(peers.wait_until_converting(frames::heartbeat), "<nothing>") << service->error_output();

    auto subscriber = std::make_unique<json_subscriber>(m_config.json_output);
    ASSERT_TRUE(retry_until([&] {
        peers.send_frame(frames::heartbeat);
        return subscriber->next(200ms) != "<nothing>";
    }));
    // It leaves with documents still queued for it, and frames go on arriving
    // while nobody is there.
    for (int i = 0; i < 100; ++i)
        peers.send_frame(frames::heartbeat);
    subscriber.reset();
    for (int i = 0; i < 100; ++i)
        peers.send_frame(frames::heartbeat);

    subscriber = std::make_unique<json_subscriber>(m_config.json_output);
    ASSERT_TRUE(retry_until([&] {
        peers.send_frame(frames::heartbeat);
        return subscriber->next(200ms) != "<nothing>";
    })) << service->error_output();
    // Once the new subscription is in place, every frame's documents reach it whole.
    while (subscriber->next(300ms) != "<nothing>") {
    }
    peers.send_frame(frames::heartbeat);
    EXPECT_EQ(subscriber->next(), frames::heartbeat_obsolete);
    EXPECT_EQ(subscriber->next(), frames::heartbeat_event);
    EXPECT_EQ(service->wait(0ms), -1) << "the service ended";
}

TEST_F(service_faults, downlink_burst_without_binary_peers_leaves_uplink_converting) {
    // Nobody subscribes to the binary output and nobody takes the raw output: the
    // first drops, the second fills its queue and then drops with a warning.
    m_config.binary_tmp_output = m_dir.ipc("nobody_takes_this");
    json_subscriber documents(m_config.json_output);
    zmq::context_t context;
    zmq::socket_t gateway(context, zmq::socket_type::push), back_end(context, zmq::socket_type::push);
    for (auto* s : {&gateway, &back_end}) {
        s->set(zmq::sockopt::linger, 0);
        s->set(zmq::sockopt::sndtimeo, 5000);
    }
    gateway.connect(m_config.binary_input);
    back_end.connect(m_config.json_input);
    auto service = start();
    ASSERT_TRUE(retry_until([&] {
        gateway.send(zmq::buffer(frames::heartbeat), zmq::send_flags::dontwait);
        return documents.next(200ms) != "<nothing>";
    })) << service->error_output();
    while (documents.next(300ms) != "<nothing>") {
    }

    // Bursts of requests, each followed by one frame whose documents must come
    // out: the burst never holds up the uplink.
    for (int burst = 0; burst < 5; ++burst) {
        for (int i = 0; i < 1000; ++i)
            ASSERT_TRUE(back_end.send(zmq::buffer(reboot_request), zmq::send_flags::none));
        ASSERT_TRUE(gateway.send(zmq::buffer(frames::heartbeat), zmq::send_flags::none));
        EXPECT_EQ(documents.next(20s), frames::heartbeat_obsolete) << "burst " << burst;
        EXPECT_EQ(documents.next(), frames::heartbeat_event) << "burst " << burst;
    }
    const std::string warning = "downlink messages dropped so far, no peer ready to take them";
    ASSERT_TRUE(service->wait_for_error_output([&](const std::string& log) { return log.find(warning) != std::string::npos; }));
    // The warning is rate-limited: one line for the whole burst, not one per drop.
    EXPECT_LE(occurrences(service->error_output(), warning), 2u);
}

// A loopback TCP port taken by a listening socket that accepts nobody. Not
// inherited by the service, which would hold the port itself then.
class port_holder {
public:
    port_holder() : m_socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(m_socket, 16) != 0 || ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot hold a loopback port");
        m_port = ntohs(address.sin_port);
    }
    ~port_holder() { ::close(m_socket); }
    port_holder(const port_holder&) = delete;
    port_holder& operator=(const port_holder&) = delete;
    int port() const { return m_port; }

private:
    int m_socket;
    int m_port = 0;
};

// One bound channel whose TCP port someone else holds when the service starts.
struct held_endpoint {
    std::string name;
    std::string service_configuration::*endpoint;
    friend void PrintTo(const held_endpoint& c, std::ostream* os) { *os << c.name; }
};

class held_endpoints : public service_faults, public ::testing::WithParamInterface<held_endpoint> {};

TEST_P(held_endpoints, are_retried_every_second_and_taken_once_free) {
    // An ipc path can be taken over by the next bind, a TCP port cannot. A plain
    // listening socket holds it: the service's peers wait in its queue instead of
    // failing a handshake with a socket of the wrong kind.
    auto holder = std::make_unique<port_holder>();
    const std::string endpoint = "tcp://127.0.0.1:" + std::to_string(holder->port());
    m_config.*GetParam().endpoint = endpoint;

    service_peers peers(m_config);
    auto service = start();
    // Each second's attempt fails and is logged; two of them show the retry.
    const std::string failure = "zmq::socket_impl::bind to " + endpoint;
    ASSERT_TRUE(service->wait_for_error_output([&](const std::string& log) { return occurrences(log, failure) >= 2; }))
        << service->error_output();
    EXPECT_EQ(peers.json_document(0ms), "<nothing>");

    holder.reset();
    EXPECT_EQ(peers.wait_until_converting(frames::heartbeat), frames::heartbeat_obsolete) << service->error_output();
    peers.send_request(reboot_request);
    EXPECT_THAT(peers.binary_tmp_output(), HasSubstr("080E"));
    // Once every channel exists the attempts stop.
    const auto failures = occurrences(service->error_output(), failure);
    peers.drain_json(1500ms);
    EXPECT_EQ(occurrences(service->error_output(), failure), failures);
}

INSTANTIATE_TEST_SUITE_P(
    channels, held_endpoints,
    ::testing::Values(held_endpoint{"binary_input", &service_configuration::binary_input},
                      held_endpoint{"binary_tmp_input", &service_configuration::binary_tmp_input},
                      held_endpoint{"binary_output", &service_configuration::binary_output},
                      held_endpoint{"json_input", &service_configuration::json_input},
                      held_endpoint{"json_output", &service_configuration::json_output}),
    [](const ::testing::TestParamInfo<held_endpoint>& info) { return info.param.name; });

// SIGTERM while frames and requests pour in, with or without a taker of the raw
// downlink output (whose queue then holds undelivered messages at the stop).
struct stop_under_load {
    std::string name;
    bool raw_output_taken;
    friend void PrintTo(const stop_under_load& c, std::ostream* os) { *os << c.name; }
};

class stops_under_load : public service_faults, public ::testing::WithParamInterface<stop_under_load> {};

TEST_P(stops_under_load, sigterm_ends_it_within_two_seconds_with_status_zero) {
    if (!GetParam().raw_output_taken)
        m_config.binary_tmp_output = m_dir.ipc("nobody_takes_this");
    service_peers peers(m_config);
    auto service = start();
    ASSERT_NE(peers.wait_until_converting(frames::heartbeat), "<nothing>") << service->error_output();

    load_generator load(m_config);
    // The load is being converted when the signal comes.
    ASSERT_TRUE(load.wait_until_sent(1000, 10s));
    for (int i = 0; i < 100; ++i)
        ASSERT_NE(peers.json_document(), "<nothing>");

    const auto signalled = std::chrono::steady_clock::now();
    service->signal(SIGTERM);
    const int status = service->wait(2s);
    if (status == -1) {
        service->wait(10s);
        const auto log = service->error_output();
        ADD_FAILURE() << "still running 2 s after SIGTERM, ended after "
                      << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                                signalled).count()
                      << " ms; log ends with\n" << log.substr(log.size() > 3000 ? log.size() - 3000 : 0);
    }
    EXPECT_EQ(status, 0);
    load.stop();
    EXPECT_THAT(service->error_output(), HasSubstr("exit"));
}

INSTANTIATE_TEST_SUITE_P(outputs, stops_under_load,
                         ::testing::Values(stop_under_load{"every_peer_present", true},
                                           stop_under_load{"raw_output_untaken", false}),
                         [](const ::testing::TestParamInfo<stop_under_load>& info) { return info.param.name; });

TEST_F(service_faults, restart_after_sigkill_takes_over_the_stale_pid_file_and_the_peers) {
    service_peers peers(m_config);
    auto first = start();
    ASSERT_NE(peers.wait_until_converting(frames::heartbeat), "<nothing>") << first->error_output();
    const std::string first_pid = std::to_string(first->pid());
    ASSERT_EQ(read_file(m_config.pidfile), first_pid);

    first->signal(SIGKILL);
    ASSERT_EQ(first->wait(), -2);  // reaped, so its pid names no process any more
    ASSERT_EQ(read_file(m_config.pidfile), first_pid) << "a killed service leaves its pid file";

    // The same peers, still connected to the old endpoints, reach the new process.
    auto second = start();
    peers.drain_json();
    EXPECT_EQ(peers.wait_until_converting(frames::heartbeat), frames::heartbeat_obsolete) << second->error_output();
    EXPECT_EQ(read_file(m_config.pidfile), std::to_string(second->pid()));
    EXPECT_THAT(second->error_output(), Not(HasSubstr("Process is running")));
    // The downlink subscription reaches the new process in its own time.
    EXPECT_TRUE(retry_until([&] {
        peers.send_request(reboot_request);
        return peers.binary_output(200ms).find("001122FFFEAABBCC") != std::string::npos;
    }));

    second->signal(SIGTERM);
    EXPECT_EQ(second->wait(), 0);
}

}  // namespace
