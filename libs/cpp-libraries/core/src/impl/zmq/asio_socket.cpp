#include "core/zmq/asio_socket.hpp"

#include "core/zmq/ipc_endpoint.hpp"
#include "core/zmq/tcp_port.hpp"

#include <boost/asio/error.hpp>
#include <boost/asio/posix/stream_descriptor.hpp>
#include <boost/asio/post.hpp>
#include <boost/system/system_error.hpp>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <random>
#include <vector>

namespace orx::libs::core::zmq {

namespace {

// How long a closed socket may go on delivering queued parts; bounds the wait
// when the shared context is terminated.
constexpr int close_linger_ms = 1000;

// Parts delivered in one turn of the loop before its other handlers run: a busy
// socket cannot starve the rest, and the loop's own bookkeeping (a look at the
// reactor each turn) is shared by several parts.
constexpr int parts_per_turn = 16;

boost::system::error_code last_error() { return {zmq_errno(), boost::system::system_category()}; }

void throw_on(const boost::system::error_code& error, const char* what) {
    if (error)
        throw boost::system::system_error(error, what);
}

void post_completion(boost::asio::io_context& io_context, asio_socket::receive_handler handler,
                     boost::system::error_code error) {
    boost::asio::post(io_context, [handler = std::move(handler), error]() {
        message part;
        handler(error, part);
    });
}

// Binds `prefix` (the endpoint up to and including the port's ':') to a free
// port of the range.
void bind_free_port(void* handle, const std::string& prefix, const tcp_port& choice, boost::system::error_code& error) {
    std::vector<int> ports;
    for (int port = choice.first; port <= choice.last; ++port)
        ports.push_back(port);
    if (choice.random)
        std::shuffle(ports.begin(), ports.end(), std::mt19937(std::random_device{}()));
    for (int port : ports) {
        if (zmq_bind(handle, (prefix + std::to_string(port)).c_str()) == 0) {
            error = {};
            return;
        }
        const int code = zmq_errno();
        if (code != EADDRINUSE && code != EACCES) {
            error = {code, boost::system::system_category()};
            return;
        }
    }
    error = boost::system::error_code(EADDRINUSE, boost::system::system_category());
}

}  // namespace

std::shared_ptr<void> shared_context() {
    static std::mutex mutex;
    static std::weak_ptr<void> current;
    std::lock_guard<std::mutex> lock(mutex);
    auto context = current.lock();
    if (!context) {
        void* raw = zmq_ctx_new();
        if (raw == nullptr)
            throw boost::system::system_error(last_error(), "zmq_ctx_new");
        context = std::shared_ptr<void>(raw, [](void* c) {
            while (zmq_ctx_term(c) != 0 && zmq_errno() == EINTR) {
            }
        });
        current = context;
    }
    return context;
}

namespace detail {

// What a socket shares with its pending Asio operations. Those operations hold
// it weakly, so a closed socket's late completions find nothing to act on.
//
// ZeroMQ's descriptor (ZMQ_FD) is edge-triggered and only says that the socket's
// state may have changed; ZMQ_EVENTS and the non-blocking receive are the truth.
// A receive is therefore first tried without waiting, and only a receive that
// finds nothing (which also clears the descriptor's signal) leads to a wait on
// the descriptor. Any other operation on the socket may swallow a signal, so
// each one is followed by a look at ZMQ_EVENTS while a receive is pending.
struct socket_state : std::enable_shared_from_this<socket_state> {
    socket_state(boost::asio::io_context& io_context, std::shared_ptr<void> context, void* handle, int descriptor)
        : m_io_context(io_context), m_context(std::move(context)), m_handle(handle),
          m_descriptor(io_context, descriptor) {}

    bool input_pending() {
        int events = 0;
        std::size_t size = sizeof events;
        if (zmq_getsockopt(m_handle, ZMQ_EVENTS, &events, &size) != 0)
            return true;  // let the receive report the failure
        return (events & ZMQ_POLLIN) != 0;
    }

    // Tries the pending receive from the loop, after the handlers queued before it.
    void schedule_check() {
        if (m_check_posted)
            return;
        m_check_posted = true;
        boost::asio::post(m_io_context, [weak = weak_from_this()]() {
            if (auto state = weak.lock()) {
                state->m_check_posted = false;
                state->perform();
            }
        });
    }

    // One turn: delivers parts, one per pending receive, while receives are
    // renewed from their handlers, up to a budget; then the loop's other
    // handlers get their turn before the next one.
    void perform() {
        m_performing = true;
        try {
            perform_turn();
        } catch (...) {
            // A handler threw; a receive it renewed must still be served.
            m_performing = false;
            if (m_handler)
                schedule_check();
            throw;
        }
        m_performing = false;
    }

    void perform_turn() {
        for (int delivered = 0; m_handler && m_handle != nullptr; ++delivered) {
            // A stopped loop returns after this handler; the rest waits for its next run.
            if (delivered == parts_per_turn || m_io_context.stopped())
                return schedule_check();
            message part;
            if (zmq_msg_recv(part.handle(), m_handle, ZMQ_DONTWAIT) >= 0) {
                complete({}, part);
                continue;
            }
            const auto error = last_error();
            if (error.value() == EINTR)
                return schedule_check();
            if (error.value() != EAGAIN)
                return complete(error, part);
            // A receive that finds nothing has just processed the socket's pending
            // commands and drained its descriptor, as a look at ZMQ_EVENTS would:
            // what arrives from now on signals the descriptor again.
            return wait_for_input();
        }
    }

    void complete(const boost::system::error_code& error, message& part) {
        auto handler = std::move(m_handler);
        m_handler = nullptr;
        handler(error, part);
    }

    void wait_for_input() {
        if (m_waiting)
            return;
        m_waiting = true;
        m_descriptor.async_wait(boost::asio::posix::stream_descriptor::wait_read,
                                [weak = weak_from_this()](const boost::system::error_code&) {
                                    if (auto state = weak.lock()) {
                                        state->m_waiting = false;
                                        state->perform();
                                    }
                                });
    }

    // A receive renewed while a turn runs is served by that turn.
    void request_check() {
        if (!m_performing)
            schedule_check();
    }

    void after_operation() {
        if (m_handler && !m_performing && !m_check_posted && input_pending())
            schedule_check();
    }

    boost::asio::io_context& m_io_context;
    std::shared_ptr<void> m_context;
    void* m_handle;
    // Never owns ZeroMQ's descriptor: it is released before the socket closes.
    boost::asio::posix::stream_descriptor m_descriptor;
    asio_socket::receive_handler m_handler;
    bool m_waiting = false;
    bool m_check_posted = false;
    bool m_performing = false;
};

}  // namespace detail

asio_socket::asio_socket(boost::asio::io_context& io_context, int type) {
    auto context = shared_context();
    void* handle = zmq_socket(context.get(), type);
    if (handle == nullptr)
        throw boost::system::system_error(last_error(), "zmq_socket");
    int descriptor = -1;
    std::size_t size = sizeof descriptor;
    try {
        if (zmq_getsockopt(handle, ZMQ_FD, &descriptor, &size) != 0)
            throw boost::system::system_error(last_error(), "zmq_getsockopt");
        m_state = std::make_shared<detail::socket_state>(io_context, std::move(context), handle, descriptor);
    } catch (...) {
        zmq_close(handle);
        throw;
    }
}

asio_socket::asio_socket(asio_socket&& other) noexcept = default;

asio_socket& asio_socket::operator=(asio_socket&& other) noexcept {
    if (this != &other) {
        close();
        m_state = std::move(other.m_state);
    }
    return *this;
}

asio_socket::~asio_socket() { close(); }

detail::socket_state& asio_socket::state() const {
    if (!m_state)
        throw boost::system::system_error(boost::asio::error::bad_descriptor, "closed ZeroMQ socket");
    return *m_state;
}

void* asio_socket::native_handle() const { return m_state ? m_state->m_handle : nullptr; }

void asio_socket::bind(const std::string& endpoint, boost::system::error_code& error) {
    error = {};
    void* handle = state().m_handle;
    if (const auto field = tcp_port_field(endpoint)) {
        const auto port = parse_tcp_port(*field);
        if (!port) {
            error = boost::system::error_code(EINVAL, boost::system::system_category());
            return;
        }
        if (port->free_port) {
            bind_free_port(handle, endpoint.substr(0, endpoint.size() - field->size()), *port, error);
            return;
        }
    }
    // An ipc endpoint another process listens on is in use, as a TCP port would be.
    if (ipc_endpoint_in_use(endpoint))
        error = boost::system::error_code(EADDRINUSE, boost::system::system_category());
    else if (zmq_bind(handle, endpoint.c_str()) != 0)
        error = last_error();
}

void asio_socket::bind(const std::string& endpoint) {
    boost::system::error_code error;
    bind(endpoint, error);
    throw_on(error, "zmq_bind");
}

void asio_socket::connect(const std::string& endpoint, boost::system::error_code& error) {
    error = {};
    if (zmq_connect(state().m_handle, endpoint.c_str()) != 0)
        error = last_error();
}

void asio_socket::connect(const std::string& endpoint) {
    boost::system::error_code error;
    connect(endpoint, error);
    throw_on(error, "zmq_connect");
}

void asio_socket::set_option(int option, const void* value, std::size_t size) {
    auto& s = state();
    const int result = zmq_setsockopt(s.m_handle, option, value, size);
    const auto error = result != 0 ? last_error() : boost::system::error_code();
    s.after_operation();
    throw_on(error, "zmq_setsockopt");
}

void asio_socket::get_option(int option, int& value) {
    auto& s = state();
    std::size_t size = sizeof value;
    const int result = zmq_getsockopt(s.m_handle, option, &value, &size);
    const auto error = result != 0 ? last_error() : boost::system::error_code();
    s.after_operation();
    throw_on(error, "zmq_getsockopt");
}

void asio_socket::get_option(int option, std::string& value) {
    char buffer[1024];
    std::size_t size = sizeof buffer;
    if (zmq_getsockopt(state().m_handle, option, buffer, &size) != 0)
        throw boost::system::system_error(last_error(), "zmq_getsockopt");
    // Text options come with their terminating NUL.
    if (size > 0 && buffer[size - 1] == '\0')
        --size;
    value.assign(buffer, size);
}

namespace {

// A send or a receive of one part, retried when a signal interrupts it, and
// followed by the look at ZMQ_EVENTS that a pending receive needs.
std::size_t transfer(detail::socket_state* state, int (*operation)(zmq_msg_t*, void*, int), message& part, int flags,
                     boost::system::error_code& error) {
    if (state == nullptr) {
        error = boost::asio::error::bad_descriptor;
        return 0;
    }
    int result;
    do
        result = operation(part.handle(), state->m_handle, flags);
    while (result < 0 && zmq_errno() == EINTR);
    error = result < 0 ? last_error() : boost::system::error_code();
    state->after_operation();
    return result < 0 ? 0 : static_cast<std::size_t>(result);
}

}  // namespace

std::size_t asio_socket::send(message& part, int flags, boost::system::error_code& error) {
    return transfer(m_state.get(), zmq_msg_send, part, flags, error);
}

std::size_t asio_socket::send(message& part, int flags) {
    boost::system::error_code error;
    const auto size = send(part, flags, error);
    throw_on(error, "zmq_msg_send");
    return size;
}

std::size_t asio_socket::receive(message& part, int flags, boost::system::error_code& error) {
    return transfer(m_state.get(), zmq_msg_recv, part, flags, error);
}

std::size_t asio_socket::receive(message& part, int flags) {
    boost::system::error_code error;
    const auto size = receive(part, flags, error);
    throw_on(error, "zmq_msg_recv");
    return size;
}

void asio_socket::async_receive(receive_handler handler) {
    auto& s = state();
    if (s.m_handler)
        return post_completion(s.m_io_context, std::move(handler), boost::asio::error::already_started);
    s.m_handler = std::move(handler);
    s.request_check();
}

void asio_socket::cancel(boost::system::error_code& error) {
    error = {};
    if (!m_state) {
        error = boost::asio::error::bad_descriptor;
        return;
    }
    auto& s = *m_state;
    if (s.m_handler) {
        auto handler = std::move(s.m_handler);
        s.m_handler = nullptr;
        post_completion(s.m_io_context, std::move(handler), boost::asio::error::operation_aborted);
    }
    // A wait left on the descriptor would keep the loop from running out of work.
    if (s.m_waiting)
        s.m_descriptor.cancel(error);
}

void asio_socket::cancel() {
    boost::system::error_code error;
    cancel(error);
    throw_on(error, "cancel");
}

void asio_socket::close() {
    if (!m_state)
        return;
    boost::system::error_code ignored;
    cancel(ignored);
    auto state = std::move(m_state);
    // Leaves the descriptor to ZeroMQ, which closes it with the socket.
    state->m_descriptor.release();
    int linger = -1;
    std::size_t size = sizeof linger;
    if (zmq_getsockopt(state->m_handle, ZMQ_LINGER, &linger, &size) != 0 || linger < 0 || linger > close_linger_ms) {
        linger = close_linger_ms;
        zmq_setsockopt(state->m_handle, ZMQ_LINGER, &linger, sizeof linger);
    }
    zmq_close(state->m_handle);
    state->m_handle = nullptr;
}

}  // namespace orx::libs::core::zmq
