#include "message_stream_zmq_raw.hpp"

#include <boost/asio/error.hpp>

#include <algorithm>

namespace orx::libs::core {

namespace {

class subscription_impl final : public message_stream::subscription {
public:
    explicit subscription_impl(std::shared_ptr<message_stream::callback> cb) : m_callback(std::move(cb)) {}

private:
    // The only strong owner: the stream holds the callback weakly.
    std::shared_ptr<message_stream::callback> m_callback;
};

}  // namespace

message_stream_zmq_raw::message_stream_zmq_raw(boost::asio::io_context& io_context, const component_logger& logger,
                                               const std::string& endpoint)
    : m_callbacks(std::make_shared<callbacks_map>()), m_socket(io_context, ZMQ_SUB), m_logger(logger) {
    m_socket.connect(endpoint);
    setup_receive();
}

message_stream_zmq_raw::~message_stream_zmq_raw() {
    boost::system::error_code error;
    m_socket.cancel(error);
    if (error)
        m_logger.log_error(error, CORE_CURRENT_LOCATION);
    m_socket.close();
    m_callbacks.reset();
}

message_stream::subscription::ptr message_stream_zmq_raw::subscribe(boost::string_view topic, callback cb) {
    const auto inserted = m_callbacks->emplace(std::string(topic), callback_list());
    // Topics stay subscribed at the socket for the stream's life.
    if (inserted.second)
        m_socket.set_option(ZMQ_SUBSCRIBE, topic);
    auto shared = std::make_shared<callback>(std::move(cb));
    inserted.first->second.push_back(shared);
    return std::make_unique<subscription_impl>(std::move(shared));
}

void message_stream_zmq_raw::setup_receive() {
    m_socket.async_receive([weak = std::weak_ptr<callbacks_map>(m_callbacks), &logger = m_logger, this](
                               const boost::system::error_code& error, zmq::message& part) {
        if (error == boost::asio::error::operation_aborted)
            return;
        if (error) {
            logger.log_error(error, CORE_CURRENT_LOCATION);
            return;
        }
        // Held for the dispatch: a callback may destroy the stream.
        const auto callbacks = weak.lock();
        if (!callbacks)
            return;
        setup_receive();
        dispatch(*callbacks, part.string_view());
    });
}

void message_stream_zmq_raw::dispatch(callbacks_map& callbacks, boost::string_view text) {
    const auto topic = std::find_if(callbacks.begin(), callbacks.end(), [text](const callbacks_map::value_type& entry) {
        return text.starts_with(entry.first);
    });
    if (topic == callbacks.end())
        return;
    auto& list = topic->second;
    // A copy: a callback may subscribe to this very topic and grow the list.
    const callback_list current = list;
    for (const auto& weak : current)
        if (const auto cb = weak.lock())
            (*cb)(text);
    list.erase(
        std::remove_if(list.begin(), list.end(), [](const std::weak_ptr<callback>& weak) { return weak.expired(); }),
        list.end());
}

}  // namespace orx::libs::core
