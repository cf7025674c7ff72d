#include "run.hpp"

#include "common/sockets.hpp"

#include <zmq.hpp>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include <sys/prctl.h>

namespace orx::load {

namespace {

using steady = std::chrono::steady_clock;
using std::chrono::nanoseconds;

constexpr std::size_t frame_ring_size = std::size_t{1} << 22;
constexpr std::size_t request_ring_size = std::size_t{1} << 20;
constexpr int subscriber_hwm = 1000000;
// ZeroMQ moves the bytes on I/O threads of its own: one for each direction, so that reading the
// publications keeps pace while frames go out flat out.
constexpr int io_threads = 2;
constexpr uint64_t sending_io_thread = 1;
constexpr uint64_t receiving_io_thread = 2;
constexpr std::size_t drain_batch = 4096;
constexpr auto poll_period = std::chrono::milliseconds(50);
constexpr auto probe_period = std::chrono::milliseconds(20);

std::atomic<bool> stop_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

// Polls, taking an interruption by a signal for an empty poll.
void poll_quietly(zmq::pollitem_t* items, std::size_t count, std::chrono::milliseconds timeout) {
    try {
        zmq::poll(items, count, timeout);
    } catch (const zmq::error_t& e) {
        if (e.num() != EINTR)
            throw;
    }
}

// Send times of the latest frames (or requests) by counter, in nanoseconds since the run began.
// The sender writes a slot and then the count; the receiver reads the count and then the slot.
class send_ring {
public:
    // The slots are left as they come: only slots already written are read, and memory that is
    // never touched costs nothing on short runs.
    explicit send_ring(std::size_t size) : m_mask(size - 1), m_times(new std::atomic<int64_t>[size]) {}

    void sent(int64_t counter, int64_t at) {
        m_times[static_cast<std::size_t>(counter) & m_mask].store(at, std::memory_order_relaxed);
        m_count.store(counter + 1, std::memory_order_release);
    }
    // A message that could not be queued after all.
    void withdraw(int64_t counter) { m_count.store(counter, std::memory_order_release); }

    int64_t count() const { return m_count.load(std::memory_order_acquire); }

    // Nothing when the counter was never sent, or so long ago that its slot holds a later one
    // (or is about to: the sender writes a slot before it counts it, hence the margin of one).
    boost::optional<int64_t> time_of(int64_t counter) const {
        const int64_t sent = count();
        if (counter >= sent || counter + static_cast<int64_t>(m_mask) < sent)
            return boost::none;
        return m_times[static_cast<std::size_t>(counter) & m_mask].load(std::memory_order_relaxed);
    }

private:
    std::size_t m_mask;
    std::unique_ptr<std::atomic<int64_t>[]> m_times;
    std::atomic<int64_t> m_count{0};
};

// What the three threads share.
struct shared_state {
    steady::time_point m_origin = steady::now();
    send_ring m_frames{frame_ring_size};
    send_ring m_requests{request_ring_size};
    std::atomic<uint64_t> m_expected_documents{0};
    std::atomic<uint64_t> m_expected_replies{0};
    std::atomic<uint64_t> m_received_documents{0};
    std::atomic<uint64_t> m_received_replies{0};
    std::atomic<bool> m_sending_done{false};
    std::atomic<bool> m_abort{false};

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_uplink_answered = false;    // guarded by m_mutex
    bool m_downlink_answered = false;  // guarded by m_mutex
    bool m_receiving_done = false;     // guarded by m_mutex

    int64_t now() const { return std::chrono::duration_cast<nanoseconds>(steady::now() - m_origin).count(); }

    void set(bool& flag) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            flag = true;
        }
        m_changed.notify_all();
    }
};

// Takes documents (and downlink messages) and measures each against its frame's send time.
class receiver {
public:
    receiver(shared_state& shared, zmq::context_t& context, const run_options& options)
        : m_shared(shared), m_options(options),
          m_documents(subscriber(context, options.m_endpoints.m_json_output, options.m_keys)) {
        if (options.m_downlink)
            m_replies = std::make_unique<zmq::socket_t>(
                subscriber(context, options.m_endpoints.m_binary_output, options.m_keys));
    }

    void operator()() {
        std::vector<zmq::pollitem_t> items{{m_documents.handle(), 0, ZMQ_POLLIN, 0}};
        if (m_replies)
            items.push_back({m_replies->handle(), 0, ZMQ_POLLIN, 0});
        int64_t done_at = -1;
        while (!m_shared.m_abort.load()) {
            poll_quietly(items.data(), items.size(), poll_period);
            drain(m_documents, false);
            if (m_replies)
                drain(*m_replies, true);
            if (!m_shared.m_sending_done.load(std::memory_order_acquire))
                continue;
            const int64_t now = m_shared.now();
            if (done_at < 0)
                done_at = now;
            const bool complete = m_shared.m_received_documents.load() >= m_shared.m_expected_documents.load() &&
                                  m_shared.m_received_replies.load() >= m_shared.m_expected_replies.load();
            // Only measured messages keep the run going: a stream of foreign ones cannot hold it open.
            const int64_t quiet = now - std::max(m_last_measured, done_at);
            if (complete || quiet >= nanoseconds(m_options.m_settle).count())
                break;
        }
        m_shared.set(m_shared.m_receiving_done);
    }

    channel_figures m_uplink;
    channel_figures m_downlink;
    int64_t m_last_measured = 0;

private:
    static zmq::socket_t subscriber(zmq::context_t& context, const std::string& endpoint,
                                    const boost::optional<tools::client_keys>& keys) {
        zmq::socket_t socket(context, zmq::socket_type::sub);
        socket.set(zmq::sockopt::affinity, receiving_io_thread);
        socket.set(zmq::sockopt::rcvhwm, subscriber_hwm);
        socket.set(zmq::sockopt::linger, 0);
        socket.set(zmq::sockopt::subscribe, "");
        tools::connect(socket, endpoint, keys);
        return socket;
    }

    void drain(zmq::socket_t& socket, bool downlink) {
        zmq::message_t message;
        std::size_t taken = 0;
        while (taken < drain_batch && socket.recv(message, zmq::recv_flags::dontwait)) {
            const boost::string_view text(message.data<char>(), message.size());
            if (downlink)
                measure(counter_of_downlink(text), m_shared.m_requests, m_downlink, m_shared.m_received_replies,
                        m_shared.m_downlink_answered);
            else
                measure(counter_of_document(text), m_shared.m_frames, m_uplink, m_shared.m_received_documents,
                        m_shared.m_uplink_answered);
            ++taken;
        }
    }

    void measure(boost::optional<int64_t> counter, const send_ring& ring, channel_figures& figures,
                 std::atomic<uint64_t>& received, bool& answered) {
        if (counter && *counter < 0) {
            if (!answered_seen(answered))
                m_shared.set(answered);
            return;
        }
        const auto sent_at = counter ? ring.time_of(*counter) : boost::none;
        if (!sent_at) {
            ++figures.m_unmatched;
            return;
        }
        const int64_t now = m_shared.now();
        figures.m_latency.record(static_cast<uint64_t>(std::max<int64_t>(0, now - *sent_at)));
        received.fetch_add(1, std::memory_order_relaxed);
        m_last_measured = now;
    }

    bool answered_seen(const bool& answered) {
        std::lock_guard<std::mutex> lock(m_shared.m_mutex);
        return answered;
    }

    shared_state& m_shared;
    const run_options& m_options;
    zmq::socket_t m_documents;
    std::unique_ptr<zmq::socket_t> m_replies;
};

// Pushes the frames, each with the next counter, at the chosen pace.
class sender {
public:
    sender(shared_state& shared, zmq::socket_t& frames_out, zmq::socket_t* requests_out, const run_options& options,
           std::vector<frame_template>& frames)
        : m_shared(shared), m_frames_out(frames_out), m_requests_out(requests_out), m_options(options),
          m_frames(frames) {}

    void operator()() {
        // Wake up on time: the default timer slack of 50 us would bunch paced frames.
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        m_start = m_shared.now();
        m_period = m_options.m_rate > 0 ? 1e9 / m_options.m_rate : 0;
        m_duration = static_cast<int64_t>(m_options.m_duration * 1e9);
        m_first_send = m_start;
        if (m_options.m_requests_only)
            send_requests_only();
        else
            send_frames();
        m_last_send = m_shared.now();
        m_shared.m_sending_done.store(true, std::memory_order_release);
    }

    bool m_stalled = false;
    int64_t m_first_send = 0;
    int64_t m_last_send = 0;
    std::array<uint64_t, 5> m_kinds{};

private:
    // Waits until message i is due; false when the run is over before it.
    bool wait_turn(int64_t i) {
        if (m_options.m_count != 0 && static_cast<uint64_t>(i) >= m_options.m_count)
            return false;
        const int64_t now = m_shared.now();
        const int64_t due = m_start + static_cast<int64_t>(static_cast<double>(i) * m_period);
        if ((m_duration > 0 && std::max(now, due) - m_start >= m_duration) ||
            stop_requested.load(std::memory_order_relaxed))
            return false;
        if (now < due)
            std::this_thread::sleep_for(nanoseconds(due - now));
        return true;
    }

    void send_frames() {
        int64_t requests = 0;
        for (int64_t i = 0; wait_turn(i); ++i) {
            auto& frame = m_frames[static_cast<std::size_t>(i) % m_frames.size()];
            set_frame_counter(frame.m_hex, i);
            m_shared.m_expected_documents.fetch_add(frame.m_documents, std::memory_order_relaxed);
            if (!deliver(m_frames_out, frame.m_hex, m_shared.m_frames, i)) {
                m_shared.m_expected_documents.fetch_sub(frame.m_documents, std::memory_order_relaxed);
                return;
            }
            ++m_kinds[static_cast<std::size_t>(frame.m_kind)];
            if (m_requests_out && i % m_options.m_request_every == 0) {
                if (!send_request(downlink_request(requests), requests))
                    return;
                ++requests;
            }
        }
    }

    // Parameter set requests on the frames' schedule: the downlink path measured alone.
    void send_requests_only() {
        for (int64_t i = 0; wait_turn(i); ++i)
            if (!send_request(param_set_request(i), i))
                return;
    }

    bool send_request(const std::string& request, int64_t counter) {
        m_shared.m_expected_replies.fetch_add(1, std::memory_order_relaxed);
        if (deliver(*m_requests_out, request, m_shared.m_requests, counter))
            return true;
        m_shared.m_expected_replies.fetch_sub(1, std::memory_order_relaxed);
        return false;
    }

    // Queues one message, waiting for room while the service is behind; gives up when it has
    // taken nothing for the whole wait.
    bool deliver(zmq::socket_t& socket, const std::string& text, send_ring& ring, int64_t counter) {
        int64_t stalled_since = -1;
        for (;;) {
            const int64_t now = m_shared.now();
            ring.sent(counter, now);
            if (socket.send(zmq::buffer(text), zmq::send_flags::dontwait))
                return true;
            ring.withdraw(counter);
            if (stalled_since < 0)
                stalled_since = now;
            else if (now - stalled_since >= nanoseconds(m_options.m_wait).count()) {
                m_stalled = true;
                return false;
            }
            zmq::pollitem_t item{socket.handle(), 0, ZMQ_POLLOUT, 0};
            poll_quietly(&item, 1, std::chrono::milliseconds(100));
        }
    }

    shared_state& m_shared;
    zmq::socket_t& m_frames_out;
    zmq::socket_t* m_requests_out;
    const run_options& m_options;
    std::vector<frame_template>& m_frames;
    int64_t m_start = 0;
    double m_period = 0;     // nanoseconds between messages; 0 sends flat out
    int64_t m_duration = 0;  // nanoseconds of sending; 0 for no limit
};

zmq::socket_t pusher(zmq::context_t& context, const std::string& endpoint,
                     const boost::optional<tools::client_keys>& keys) {
    zmq::socket_t socket(context, zmq::socket_type::push);
    socket.set(zmq::sockopt::affinity, sending_io_thread);
    socket.set(zmq::sockopt::linger, 0);
    tools::connect(socket, endpoint, keys);
    return socket;
}

// Sends probe frames (and requests) with negative counters until the service has answered
// each kind once: then its subscriptions are in place and measured messages are not lost to a
// late join.
bool probe(shared_state& shared, zmq::socket_t& frames_out, zmq::socket_t* requests_out, std::chrono::milliseconds wait,
           bool requests_only) {
    std::string frame = gateway_frame(counter_base_ms, heartbeat_data(node_report{}));
    const auto deadline = steady::now() + wait;
    for (int64_t k = 1;; ++k) {
        std::unique_lock<std::mutex> lock(shared.m_mutex);
        const bool uplink = shared.m_uplink_answered || requests_only;
        const bool downlink = shared.m_downlink_answered || !requests_out;
        lock.unlock();
        if (uplink && downlink)
            return true;
        if (steady::now() >= deadline || stop_requested.load())
            return false;
        if (!uplink) {
            set_frame_counter(frame, -k);
            (void)frames_out.send(zmq::buffer(frame), zmq::send_flags::dontwait);
        }
        if (!downlink)
            (void)requests_out->send(zmq::buffer(downlink_request(-k)), zmq::send_flags::dontwait);
        lock.lock();
        shared.m_changed.wait_for(lock, probe_period, [&] {
            return (shared.m_uplink_answered || requests_only) && (shared.m_downlink_answered || !requests_out);
        });
    }
}

// One line on stderr: totals and the rates of the last second.
class progress {
public:
    explicit progress(const shared_state& shared) : m_shared(shared) {}

    void print(bool downlink) {
        const uint64_t sent = static_cast<uint64_t>(m_shared.m_frames.count());
        const uint64_t received = m_shared.m_received_documents.load();
        ++m_seconds;
        std::fprintf(stderr, "tarnwick-load: %3llu s  sent %llu frames (%llu/s)  documents %llu of %llu (%llu/s)",
                     static_cast<unsigned long long>(m_seconds), static_cast<unsigned long long>(sent),
                     static_cast<unsigned long long>(sent - m_sent), static_cast<unsigned long long>(received),
                     static_cast<unsigned long long>(m_shared.m_expected_documents.load()),
                     static_cast<unsigned long long>(received - m_received));
        if (downlink)
            std::fprintf(stderr, "  downlink %llu of %llu",
                         static_cast<unsigned long long>(m_shared.m_received_replies.load()),
                         static_cast<unsigned long long>(m_shared.m_expected_replies.load()));
        std::fputc('\n', stderr);
        m_sent = sent;
        m_received = received;
    }

private:
    const shared_state& m_shared;
    uint64_t m_seconds = 0;
    uint64_t m_sent = 0;
    uint64_t m_received = 0;
};

}  // namespace

void request_stop() { stop_requested.store(true); }

run_result run(const run_options& options, std::vector<frame_template> frames) {
    run_result result;
    shared_state shared;
    zmq::context_t context(io_threads);
    zmq::socket_t frames_out = pusher(context, options.m_endpoints.m_binary_input, options.m_keys);
    std::unique_ptr<zmq::socket_t> requests_out;
    if (options.m_downlink)
        requests_out =
            std::make_unique<zmq::socket_t>(pusher(context, options.m_endpoints.m_json_input, options.m_keys));

    receiver taking(shared, context, options);
    std::thread receiving(std::ref(taking));

    result.m_answered = probe(shared, frames_out, requests_out.get(), options.m_wait, options.m_requests_only);
    if (!result.m_answered) {
        shared.m_abort = true;
        receiving.join();
        return result;
    }

    sender sending(shared, frames_out, requests_out.get(), options, frames);
    std::thread sender_thread(std::ref(sending));
    progress report(shared);
    {
        std::unique_lock<std::mutex> lock(shared.m_mutex);
        while (!shared.m_changed.wait_for(lock, std::chrono::seconds(1), [&] { return shared.m_receiving_done; }))
            if (options.m_progress) {
                lock.unlock();
                report.print(options.m_downlink);
                lock.lock();
            }
    }
    sender_thread.join();
    receiving.join();

    result.m_stalled = sending.m_stalled;
    result.m_send_seconds = static_cast<double>(sending.m_last_send - sending.m_first_send) / 1e9;
    result.m_receive_seconds =
        static_cast<double>(std::max(taking.m_last_measured, sending.m_last_send) - sending.m_first_send) / 1e9;
    result.m_kinds = sending.m_kinds;
    result.m_uplink = std::move(taking.m_uplink);
    result.m_uplink.m_sent = static_cast<uint64_t>(shared.m_frames.count());
    result.m_uplink.m_expected = shared.m_expected_documents.load();
    result.m_uplink.m_received = shared.m_received_documents.load();
    result.m_downlink = std::move(taking.m_downlink);
    result.m_downlink.m_sent = static_cast<uint64_t>(shared.m_requests.count());
    result.m_downlink.m_expected = shared.m_expected_replies.load();
    result.m_downlink.m_received = shared.m_received_replies.load();
    return result;
}

}  // namespace orx::load
