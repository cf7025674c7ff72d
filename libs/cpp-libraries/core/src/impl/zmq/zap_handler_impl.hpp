#pragma once

#include "core/zmq/asio_socket.hpp"
#include "core/zmq/message.hpp"
#include "core/zmq/zap_handler.hpp"
#include "refusal_watch.hpp"

#include <memory>
#include <mutex>
#include <vector>

namespace orx::libs::core::zmq {

class zap_handler_impl final : public zap_handler {
public:
    zap_handler_impl(events_loop& loop, curve_key_set authorized, refusal_callback on_refusal,
                     accept_failure_callback on_accept_failure);
    ~zap_handler_impl() override;

    void set_authorized(curve_key_set authorized) override;
    watch::ptr watch_refusals(asio_socket& server) override;

private:
    struct answer;

    void receive_request();
    answer decide(const std::vector<message>& request);
    void reply(const std::vector<message>& request, const answer& result);

    boost::asio::io_context& m_io_context;
    std::shared_ptr<const watch_reports> m_reports;
    std::mutex m_authorized_mutex;
    curve_key_set m_authorized;
    asio_socket m_socket;
};

}  // namespace orx::libs::core::zmq
