#pragma once

#include "core/logger.hpp"
#include "core/zmq/manager.hpp"

#include <boost/asio/io_context.hpp>

#include <memory>

namespace orx::libs::core::zmq {

class manager_impl final : public manager {
public:
    manager_impl(boost::asio::io_context& io_context, const component_logger& logger);

    using manager::connect;
    socket::ptr connect(socket::type type, std::string endpoint, socket::options options) override;
    using manager::bind;
    socket::ptr bind(socket::type type, std::string endpoint, socket::options options) override;

private:
    boost::asio::io_context& m_io_context;
    const component_logger& m_logger;
    // Keeps the process's ZeroMQ context while the loop lives, so that opening
    // and closing sockets does not start and stop it each time.
    std::shared_ptr<void> m_context;
};

}  // namespace orx::libs::core::zmq
