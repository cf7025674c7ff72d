#pragma once

#include "core/events_loop.hpp"
#include "core/zmq/asio_socket.hpp"
#include "core/zmq/curve_keys.hpp"

#include <functional>
#include <memory>
#include <string>

namespace orx::libs::core::zmq {

// The process's ZAP handler: answers, on an events loop, the authentication
// requests of every CURVE server socket of the shared ZeroMQ context. A CURVE
// client is admitted when its public key is authorized; any other is refused.
class zap_handler {
public:
    using ptr = std::unique_ptr<zap_handler>;

    struct refusal {
        // The client's IP address. For a client refused before it offers a key
        // (one that does not speak CURVE, or that holds another server's key, or
        // that broke off the handshake) libzmq tells only the endpoint of the
        // refusing socket, given instead.
        std::string address;
        std::string reason;
    };
    using refusal_callback = std::function<void(const refusal&)>;
    // The endpoint of a server socket that could not accept a connection, and why
    // (an errno value: EMFILE when the process has no descriptor left).
    using accept_failure_callback = std::function<void(const std::string& endpoint, int error)>;

    // Reports, for as long as it lives, the connections to a server socket that
    // end before their handshake completes without the handler refusing them
    // (whatever the peer sent, or nothing), and the connections it cannot
    // accept. It must go before the socket it watches:
    // its end stops libzmq's monitor of that socket, which would otherwise stall
    // the socket once nobody reads the monitor.
    class watch {
    public:
        using ptr = std::unique_ptr<watch>;
        virtual ~watch() = default;
    };

    // Binds inproc://zeromq.zap.01 in the shared context; a second handler in
    // the process is refused with orx::libs::core::exception. The callbacks run
    // on the loop's thread: `on_refusal` once per refused connection, by the
    // handler or by a watch, `on_accept_failure` once per failed accept.
    static ptr create(events_loop& loop, curve_key_set authorized, refusal_callback on_refusal,
                      accept_failure_callback on_accept_failure = {});

    virtual ~zap_handler() = default;

    // Replaces the authorized keys for the connections that follow. Safe from
    // any thread.
    virtual void set_authorized(curve_key_set authorized) = 0;

    // Watches a CURVE server socket (made with make_curve_server, its handshake
    // interval set) for the refusals libzmq makes without asking the handler.
    virtual watch::ptr watch_refusals(asio_socket& server) = 0;
};

}  // namespace orx::libs::core::zmq
