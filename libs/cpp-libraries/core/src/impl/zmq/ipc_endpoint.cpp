#include "core/zmq/ipc_endpoint.hpp"

#include <cerrno>
#include <cstddef>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace orx::libs::core::zmq {

bool ipc_endpoint_in_use(const std::string& endpoint) {
    static const std::string ipc = "ipc://";
    if (endpoint.compare(0, ipc.size(), ipc) != 0)
        return false;
    const std::string name = endpoint.substr(ipc.size());
    sockaddr_un address{};
    if (name.empty() || name == "*" || name.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.data(), name.size());
    if (name[0] == '@')
        address.sun_path[0] = '\0';
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size() + (name[0] == '@' ? 0 : 1));
    // Non-blocking: a listener whose backlog is full answers EAGAIN at once, and
    // is in use as well.
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (probe < 0)
        return false;
    const int result = ::connect(probe, reinterpret_cast<const sockaddr*>(&address), size);
    const int error = result == 0 ? 0 : errno;
    ::close(probe);
    // Refused: a stale file, or no listener; missing: nothing there. Anything else
    // (no permission, not a socket) is left to the bind to report.
    return result == 0 || error == EAGAIN || error == EINPROGRESS;
}

}  // namespace orx::libs::core::zmq
