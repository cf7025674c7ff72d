#pragma once

#include "binary_message.hpp"

#include <json/value.h>

#include <boost/utility/string_view.hpp>

namespace orx {

// Where converters put their output: downlink messages to send and uplink
// documents to publish under a topic. Converters never return output.
class processed_messages_handler {
public:
    virtual ~processed_messages_handler() = default;
    virtual void on_message(const binary_message& message) = 0;
    virtual void on_message(boost::string_view topic, const Json::Value& document) = 0;
};

}  // namespace orx
