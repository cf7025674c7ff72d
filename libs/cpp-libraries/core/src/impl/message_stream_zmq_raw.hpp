#pragma once

#include "core/logger.hpp"
#include "core/message_stream.hpp"
#include "core/zmq/asio_socket.hpp"

#include <boost/asio/io_context.hpp>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orx::libs::core {

// Hands each message, whole, to the subscribers of its topic.
class message_stream_zmq_raw : public message_stream {
public:
    // Connects a SUB socket to the endpoint; a failure throws boost::system::system_error.
    message_stream_zmq_raw(boost::asio::io_context& io_context, const component_logger& logger,
                           const std::string& endpoint);
    ~message_stream_zmq_raw() override;

    subscription::ptr subscribe(boost::string_view topic, callback cb) override;

private:
    using callback_list = std::vector<std::weak_ptr<callback>>;
    using callbacks_map = std::map<std::string, callback_list>;  // std::string orders by bytes

    void setup_receive();
    static void dispatch(callbacks_map& callbacks, boost::string_view text);

    std::shared_ptr<callbacks_map> m_callbacks;
    zmq::asio_socket m_socket;
    const component_logger& m_logger;
};

}  // namespace orx::libs::core
