#include "refusal_watch.hpp"

#include "core/exception.hpp"

#include <atomic>
#include <cstring>
#include <utility>

namespace orx::libs::core::zmq {

namespace {

constexpr int watched_events = ZMQ_EVENT_ACCEPTED | ZMQ_EVENT_ACCEPT_FAILED | ZMQ_EVENT_DISCONNECTED |
                               ZMQ_EVENT_HANDSHAKE_SUCCEEDED | ZMQ_EVENT_HANDSHAKE_FAILED_AUTH |
                               ZMQ_EVENT_HANDSHAKE_FAILED_PROTOCOL | ZMQ_EVENT_HANDSHAKE_FAILED_NO_DETAIL;

// Events reach the loop late; a connection is taken for one that completed its
// handshake only this long after libzmq would have ended it otherwise.
constexpr std::chrono::seconds handshake_margin{2};

std::string protocol_failure_reason(std::uint32_t error) {
    if (error == ZMQ_PROTOCOL_ERROR_ZMTP_MECHANISM_MISMATCH)
        return "the client does not use CURVE";
    if (error == ZMQ_PROTOCOL_ERROR_ZMTP_CRYPTOGRAPHIC)
        return "the client's handshake does not decrypt (it holds another server key)";
    return "the handshake failed";
}

}  // namespace

refusal_watch::refusal_watch(boost::asio::io_context& io_context, asio_socket& server,
                             std::shared_ptr<const watch_reports> reports)
    : m_server(server.native_handle()), m_monitor(io_context, ZMQ_PAIR), m_reports(std::move(reports)) {
    int interval = 0;
    server.get_option(ZMQ_HANDSHAKE_IVL, interval);
    m_handshake_interval = std::chrono::milliseconds(interval);
    static std::atomic<unsigned> next_id{0};
    const auto endpoint = "inproc://tarnwick.refusals." + std::to_string(next_id++);
    // libzmq blocks the watched socket while its events cannot be queued: the
    // queue has no limit, and the monitor stops before this end closes.
    m_monitor.set_option(ZMQ_RCVHWM, 0);
    if (zmq_socket_monitor(m_server, endpoint.c_str(), watched_events) != 0)
        throw exception(std::string("Watching a server socket: ") + zmq_strerror(zmq_errno()), CORE_CURRENT_LOCATION);
    m_monitor.connect(endpoint);
    receive();
}

refusal_watch::~refusal_watch() { zmq_socket_monitor(m_server, nullptr, 0); }

// An event is two parts: 2 bytes of event and 4 of value, then the endpoint.
void refusal_watch::receive() {
    m_monitor.async_receive([this](const boost::system::error_code& error, message& event) {
        if (error)
            return;
        message endpoint;
        boost::system::error_code ignored;
        if (event.more())
            m_monitor.receive(endpoint, ZMQ_DONTWAIT, ignored);
        std::uint16_t id = 0;
        std::uint32_t value = 0;
        const bool complete = event.size() == sizeof id + sizeof value;
        if (complete) {
            std::memcpy(&id, event.data(), sizeof id);
            std::memcpy(&value, static_cast<const char*>(event.data()) + sizeof id, sizeof value);
        }
        receive();
        if (complete)
            on_event(id, value, endpoint.string_view().to_string());
    });
}

void refusal_watch::on_event(std::uint16_t id, std::uint32_t value, const std::string& endpoint) {
    auto failure = std::exchange(m_failure, boost::none);
    if (failure && id != ZMQ_EVENT_DISCONNECTED)
        m_reports->on_refusal({endpoint, *failure});
    switch (id) {
    case ZMQ_EVENT_ACCEPTED: {
        const int descriptor = static_cast<int>(value);
        forget(descriptor);
        m_handshaking_by_descriptor[descriptor] = m_handshaking.insert(m_handshaking.end(), {descriptor, clock::now()});
        break;
    }
    case ZMQ_EVENT_ACCEPT_FAILED:
        if (m_reports->on_accept_failure)
            m_reports->on_accept_failure(endpoint, static_cast<int>(value));
        break;
    case ZMQ_EVENT_HANDSHAKE_SUCCEEDED:
    case ZMQ_EVENT_HANDSHAKE_FAILED_AUTH: ++m_unplaced; break;
    case ZMQ_EVENT_HANDSHAKE_FAILED_PROTOCOL: m_failure = protocol_failure_reason(value); break;
    case ZMQ_EVENT_HANDSHAKE_FAILED_NO_DETAIL:
        // A client that finds the mechanism wrong first hangs up, and the server
        // sees no more than that; such a client does not try again.
        m_failure = std::string("the client broke off the handshake (") + zmq_strerror(static_cast<int>(value)) +
                    "); it may not use CURVE";
        break;
    case ZMQ_EVENT_DISCONNECTED: on_disconnected(static_cast<int>(value), endpoint, std::move(failure)); break;
    default: break;
    }
    settle();
}

void refusal_watch::on_disconnected(int descriptor, const std::string& endpoint, boost::optional<std::string> failure) {
    const bool was_handshaking = m_handshaking_by_descriptor.count(descriptor) != 0;
    forget(descriptor);
    if (failure)
        return m_reports->on_refusal({endpoint, *failure});
    if (!was_handshaking)
        return;
    // An end without a word: the connection whose result waits, or one refused
    // without a failure told (no ZMTP 3 greeting, a frame that does not parse).
    if (m_unplaced > 0) {
        --m_unplaced;
        return;
    }
    m_reports->on_refusal({endpoint,
                           "the connection ended in its handshake: the client does not speak ZMTP 3 "
                           "with CURVE"});
}

void refusal_watch::forget(int descriptor) {
    const auto found = m_handshaking_by_descriptor.find(descriptor);
    if (found == m_handshaking_by_descriptor.end())
        return;
    m_handshaking.erase(found->second);
    m_handshaking_by_descriptor.erase(found);
}

// Places the results that can only belong to one connection.
void refusal_watch::settle() {
    const auto complete = [this](std::list<handshaking>::iterator connection) {
        m_handshaking_by_descriptor.erase(connection->descriptor);
        m_handshaking.erase(connection);
        if (m_unplaced > 0)
            --m_unplaced;
    };
    if (m_handshake_interval.count() > 0) {
        const auto oldest = clock::now() - m_handshake_interval - handshake_margin;
        while (!m_handshaking.empty() && m_handshaking.front().accepted < oldest)
            complete(m_handshaking.begin());
    }
    if (m_unplaced >= m_handshaking.size()) {
        while (!m_handshaking.empty())
            complete(m_handshaking.begin());
        m_unplaced = 0;
    }
}

}  // namespace orx::libs::core::zmq
