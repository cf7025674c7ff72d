#include "core/pid_file.hpp"

#include "core/exception.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>

#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

namespace orx::libs::core::detail {

void check_pid(const std::string& path) {
    std::ifstream file(path);
    if (!file)
        return;
    long long pid = 0;
    if (!(file >> pid))
        pid = 0;
    file.close();
    // Zero and negative numbers address process groups, not a process: no pid.
    if (pid <= 0)
        return;
    // A number no process id can take names no process.
    if (pid > std::numeric_limits<pid_t>::max())
        return;
    if (::kill(static_cast<pid_t>(pid), 0) == 0)
        throw exception("Process is running", CORE_CURRENT_LOCATION);
    const int error = errno;
    if (error == ESRCH)
        return;
    throw exception(std::string("write_pid: kill(): ") + std::strerror(error), CORE_CURRENT_LOCATION);
}

void write_pid(const std::string& path) {
    std::ofstream file(path, std::ios::out | std::ios::trunc);
    if (!file)
        throw exception("Error opening pid-file!", CORE_CURRENT_LOCATION);
    file << ::getpid();
}

}  // namespace orx::libs::core::detail
