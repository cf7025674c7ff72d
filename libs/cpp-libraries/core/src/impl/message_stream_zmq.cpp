#include "message_stream_zmq.hpp"

namespace orx::libs::core {

message_stream_zmq::message_stream_zmq(boost::asio::io_context& io_context, const component_logger& logger,
                                       const std::string& endpoint)
    : m_stream_zmq_raw(io_context, logger, endpoint) {}

message_stream::subscription::ptr message_stream_zmq::subscribe(boost::string_view topic, callback cb) {
    return m_stream_zmq_raw.subscribe(topic, [cb = std::move(cb)](boost::string_view text) {
        const auto json = text.find('{');
        if (json != boost::string_view::npos)
            cb(text.substr(json));
    });
}

}  // namespace orx::libs::core
