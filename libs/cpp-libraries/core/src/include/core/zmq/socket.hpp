#pragma once

#include "core/zmq/curve_keys.hpp"
#include "core/zmq/message.hpp"

#include <boost/optional.hpp>

#include <chrono>

#include <cstdint>
#include <functional>
#include <memory>

namespace orx::libs::core::zmq {

class zap_handler;

enum class flags : int32_t {
    none = 0,
    sndmore = ZMQ_SNDMORE,  // more parts of the same message follow
};

// One ZeroMQ socket on an events loop: received parts go to a callback on the
// loop's thread, sends are synchronous.
class socket {
public:
    enum class type : int32_t { push = 0, pull = 1, pub = 2, req = 3, rep = 4 };
    using flags = zmq::flags;
    using callback = std::function<void(message&)>;
    using ptr = std::unique_ptr<socket>;

    // A CURVE server: every client must offer a key that the process's ZAP
    // handler admits (see zap_handler), and is refused while no handler runs.
    struct curve_server {
        curve_key secret_key;
        // When given, also reports the clients libzmq refuses without asking it
        // (no CURVE, another server's key); needed only while the socket is made.
        zap_handler* refusals = nullptr;
    };

    // Set on the socket before it is bound or connected.
    struct options {
        // Messages go only to peers whose connection is complete (ZMQ_IMMEDIATE):
        // with none, a send cannot proceed, instead of queuing for whichever
        // peer connects next, however much later.
        bool immediate = false;
        // How many received messages may wait to be handled (ZMQ_RCVHWM); 0 keeps
        // ZeroMQ's default. Beyond it the peer's side holds them.
        int receive_queue = 0;
        // How many messages may wait for each peer before more are dropped (a
        // publisher) or a send waits (ZMQ_SNDHWM); 0 sets no limit, none keeps
        // ZeroMQ's default of 1000.
        boost::optional<int> send_queue;
        // The longest message part a peer may send (ZMQ_MAXMSGSIZE); 0 sets no
        // limit. A longer one closes that peer's connection before it is held in
        // memory; the peer connects again.
        int64_t max_message_size = 0;
        // How long a connection may take for its handshake before it is closed
        // (ZMQ_HANDSHAKE_IVL); 0 keeps libzmq's 30 s.
        std::chrono::milliseconds handshake_interval{0};
        // At most one of the two: the socket speaks CURVE as a server or as a
        // client; with neither it is plain.
        boost::optional<curve_server> curve_as_server;
        boost::optional<curve_client_keys> curve_as_client;
    };

    virtual ~socket() = default;

    // The first call starts receiving; later calls only replace the callback.
    virtual void set_receive_callback(callback cb) = 0;

    // Waits while the socket cannot take the part; failures throw
    // boost::system::system_error.
    virtual void send(message part) = 0;
    virtual void send(message part, flags send_flags) = 0;

    // Never waits: false when the socket cannot take the part at once (no peer,
    // full queue); other failures throw. The part is consumed either way.
    virtual bool try_send(message part) = 0;
    virtual bool try_send(message part, flags send_flags) = 0;

    // The next part of the message being received; for use inside the callback
    // when the part it got reports more().
    virtual message receive_more() = 0;
};

}  // namespace orx::libs::core::zmq
