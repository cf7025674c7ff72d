#pragma once

#include "core/zmq/asio_socket.hpp"
#include "core/zmq/zap_handler.hpp"

#include <boost/asio/io_context.hpp>
#include <boost/optional.hpp>

#include <chrono>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

namespace orx::libs::core::zmq {

// What the watches of server sockets report to; shared with them, since they may
// report while the handler goes.
struct watch_reports {
    zap_handler::refusal_callback on_refusal;
    zap_handler::accept_failure_callback on_accept_failure;
};

// Reads one CURVE server socket's connection events from its libzmq monitor:
// reports each connection that ends before its handshake completes, whatever
// the peer sent (a refusal the ZAP handler made is left to it), and each
// connection that could not be accepted.
//
// libzmq names a connection (by its descriptor) when it is accepted and when it
// ends; a failed handshake is told just before its end, but a completed or
// ZAP-refused one names no connection, and a peer that sends no ZMTP 3 greeting
// ends with no word at all. A handshake result is therefore placed on the one
// connection still in its handshake; while several are, it waits, and an
// unexplained end among them is taken for that connection's. Connections still
// open longer than the handshake interval must have completed it.
class refusal_watch final : public zap_handler::watch {
public:
    refusal_watch(boost::asio::io_context& io_context, asio_socket& server,
                  std::shared_ptr<const watch_reports> reports);
    ~refusal_watch() override;

private:
    using clock = std::chrono::steady_clock;
    struct handshaking {
        int descriptor;
        clock::time_point accepted;
    };

    void receive();
    void on_event(std::uint16_t id, std::uint32_t value, const std::string& endpoint);
    void on_disconnected(int descriptor, const std::string& endpoint, boost::optional<std::string> failure);
    void forget(int descriptor);
    void settle();

    void* m_server;
    asio_socket m_monitor;
    std::shared_ptr<const watch_reports> m_reports;
    // 0 when libzmq gives handshakes all the time they take.
    std::chrono::milliseconds m_handshake_interval{0};
    // Connections in their handshake, in the order they were accepted.
    std::list<handshaking> m_handshaking;
    std::unordered_map<int, std::list<handshaking>::iterator> m_handshaking_by_descriptor;
    // Handshake results not yet placed on a connection.
    std::size_t m_unplaced = 0;
    // The reason of a failed handshake, told just before its connection ends.
    boost::optional<std::string> m_failure;
};

}  // namespace orx::libs::core::zmq
