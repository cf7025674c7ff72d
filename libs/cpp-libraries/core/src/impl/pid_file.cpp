#include "core/pid_file.hpp"

#include "core/exception.hpp"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace orx::libs::core {

namespace {

std::string system_error(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

pid_file::pid_file(const std::string& path) {
    // Not truncated on opening: a refused start leaves the running instance's
    // pid in place. O_NONBLOCK makes a fifo at the path fail instead of hanging
    // the start; it changes nothing for a regular file.
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
    if (m_fd < 0)
        throw exception("Error opening pid-file!", CORE_CURRENT_LOCATION);
    // The lock belongs to this open file description: it lasts until the
    // descriptor is closed, by the destructor or by the end of the process.
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        const auto reason = system_error("Error locking pid-file");
        ::close(m_fd);
        throw exception(held ? "Process is running" : reason, CORE_CURRENT_LOCATION);
    }
    const std::string pid = std::to_string(::getpid());
    if (::ftruncate(m_fd, 0) != 0 || ::pwrite(m_fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
        const auto reason = system_error("Error writing pid-file");
        ::close(m_fd);
        throw exception(reason, CORE_CURRENT_LOCATION);
    }
}

pid_file::~pid_file() { ::close(m_fd); }

}  // namespace orx::libs::core
