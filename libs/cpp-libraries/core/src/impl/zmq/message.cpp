#include "core/zmq/message.hpp"

#include <cstring>
#include <new>

namespace orx::libs::core::zmq {

message::message() noexcept { zmq_msg_init(&m_msg); }

message::message(const void* data, std::size_t size) {
    if (zmq_msg_init_size(&m_msg, size) != 0)
        throw std::bad_alloc();
    if (size != 0)
        std::memcpy(zmq_msg_data(&m_msg), data, size);
}

message::message(message&& other) noexcept {
    zmq_msg_init(&m_msg);
    zmq_msg_move(&m_msg, &other.m_msg);
}

message& message::operator=(message&& other) noexcept {
    if (this != &other)
        zmq_msg_move(&m_msg, &other.m_msg);
    return *this;
}

message::~message() { zmq_msg_close(&m_msg); }

const void* message::data() const noexcept { return zmq_msg_data(const_cast<zmq_msg_t*>(&m_msg)); }

std::size_t message::size() const noexcept { return zmq_msg_size(&m_msg); }

bool message::more() const noexcept { return zmq_msg_more(&m_msg) != 0; }

}  // namespace orx::libs::core::zmq
