#pragma once

// The logger's debug socket names cppzmq's global `zmq` namespace from inside
// orx::libs::core; it must be read before orx::libs::core::zmq exists.
#include "core/logger.hpp"

#include <zmq.h>
#include <boost/utility/string_view.hpp>

#include <cstddef>

namespace orx::libs::core::zmq {

// One ZeroMQ message part, owning its libzmq buffer. Move-only.
class message {
public:
    message() noexcept;
    message(const void* data, std::size_t size);
    explicit message(boost::string_view bytes) : message(bytes.data(), bytes.size()) {}
    message(message&& other) noexcept;
    message& operator=(message&& other) noexcept;
    message(const message&) = delete;
    message& operator=(const message&) = delete;
    ~message();

    const void* data() const noexcept;
    std::size_t size() const noexcept;
    boost::string_view string_view() const noexcept {
        return boost::string_view(static_cast<const char*>(data()), size());
    }
    // Whether further parts of the same message follow; meaningful after a receive.
    bool more() const noexcept;

    zmq_msg_t* handle() noexcept { return &m_msg; }

private:
    zmq_msg_t m_msg;
};

}  // namespace orx::libs::core::zmq
