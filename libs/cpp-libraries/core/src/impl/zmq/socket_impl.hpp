#pragma once

#include "core/logger.hpp"
#include "core/zmq/asio_socket.hpp"
#include "core/zmq/socket.hpp"
#include "core/zmq/zap_handler.hpp"

#include <boost/asio/io_context.hpp>

#include <memory>
#include <string>

namespace orx::libs::core::zmq {

class socket_impl final : public socket {
public:
    static ptr connect(type socket_type, boost::asio::io_context& io_context, const component_logger& logger,
                       std::string endpoint, options socket_options = {});
    static ptr bind(type socket_type, boost::asio::io_context& io_context, const component_logger& logger,
                    std::string endpoint, options socket_options = {});

    socket_impl(asio_socket async_socket, const component_logger& logger,
                zap_handler::watch::ptr refusal_watch = nullptr);
    ~socket_impl() override;

    void set_receive_callback(callback cb) override;
    void send(message part) override;
    void send(message part, flags send_flags) override;
    bool try_send(message part) override;
    bool try_send(message part, flags send_flags) override;
    message receive_more() override;

private:
    // What the pending receive shares with the socket; outlives it until the
    // cancelled receive has completed.
    struct shared_data {
        bool m_socket_alive = true;
        callback m_receive_callback;
    };

    void setup_receive();

    asio_socket m_socket;
    // Ends before the socket closes (see zap_handler::watch).
    zap_handler::watch::ptr m_refusal_watch;
    const component_logger& m_logger;
    std::shared_ptr<shared_data> m_data;
};

}  // namespace orx::libs::core::zmq
