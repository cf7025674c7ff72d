#include "core/regular_file.hpp"

#include "core/exception.hpp"
#include "core/scope_guard.hpp"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orx::libs::core {

namespace {

std::string kind_of(mode_t mode) {
    if (S_ISFIFO(mode))
        return "is a fifo, not a regular file";
    if (S_ISCHR(mode))
        return "is a character device, not a regular file";
    if (S_ISBLK(mode))
        return "is a block device, not a regular file";
    if (S_ISDIR(mode))
        return "is a folder, not a regular file";
    if (S_ISSOCK(mode))
        return "is a socket, not a regular file";
    return "is not a regular file";
}

}  // namespace

regular_file read_small_regular_file(const std::string& what, const std::string& path, std::size_t limit) {
    const auto fail = [&](const std::string& reason) {
        throw exception(what + " " + path + ": " + reason, CORE_CURRENT_LOCATION);
    };
    // Without O_NONBLOCK the open of a fifo waits for a writer; with it the open
    // returns at once and the check below refuses what is not a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        fail(std::string("cannot be opened: ") + std::strerror(errno));
    const auto closing = execute_on_scope_exit([fd]() noexcept { ::close(fd); });
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        fail(std::string("cannot be examined: ") + std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        fail(kind_of(status.st_mode));
    const auto too_large = "is larger than " + std::to_string(limit) + " bytes";
    if (static_cast<std::size_t>(status.st_size) > limit)
        fail(too_large);
    regular_file file;
    file.mode = status.st_mode & 07777;
    // A file that grows while it is read is refused once it passes the limit.
    file.text.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[4096];
    for (;;) {
        const auto count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            fail(std::string("cannot be read: ") + std::strerror(errno));
        if (count == 0)
            return file;
        file.text.append(buffer, static_cast<std::size_t>(count));
        if (file.text.size() > limit)
            fail(too_large);
    }
}

}  // namespace orx::libs::core
