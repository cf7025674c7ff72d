#pragma once

#include <boost/utility/string_view.hpp>

#include <functional>
#include <memory>

namespace orx::libs::core {

// A topic subscriber on a publisher's endpoint. Each received message goes to the
// callbacks of the first subscribed topic (in byte order) that prefixes it.
class message_stream {
public:
    using callback = std::function<void(boost::string_view)>;
    using ptr = std::unique_ptr<message_stream>;

    // Ends its subscription when destroyed.
    class subscription {
    public:
        using ptr = std::unique_ptr<subscription>;
        virtual ~subscription() = default;
    };

    virtual ~message_stream() = default;
    virtual subscription::ptr subscribe(boost::string_view topic, callback cb) = 0;
};

}  // namespace orx::libs::core
