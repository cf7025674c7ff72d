#pragma once

#include "message_stream_zmq_raw.hpp"

namespace orx::libs::core {

// Hands over only the JSON part of each message: the text from its first "{".
// Messages without one are dropped.
class message_stream_zmq final : public message_stream {
public:
    message_stream_zmq(boost::asio::io_context& io_context, const component_logger& logger,
                       const std::string& endpoint);

    subscription::ptr subscribe(boost::string_view topic, callback cb) override;

private:
    message_stream_zmq_raw m_stream_zmq_raw;
};

}  // namespace orx::libs::core
