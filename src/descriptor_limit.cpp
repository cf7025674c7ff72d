#include "descriptor_limit.hpp"

#include <cerrno>
#include <cstring>

#include <sys/resource.h>

namespace orx {

void raise_descriptor_limit(libs::core::logger& logger) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        logger.warning("descriptor limit unknown: %1%") % std::strerror(errno);
        return;
    }
    if (limit.rlim_cur != limit.rlim_max) {
        rlimit raised{limit.rlim_max, limit.rlim_max};
        if (::setrlimit(RLIMIT_NOFILE, &raised) != 0) {
            logger.warning("descriptor limit stays %1%, cannot raise it to %2%: %3%") % limit.rlim_cur %
                limit.rlim_max % std::strerror(errno);
            return;
        }
        limit = raised;
    }
    logger.info("descriptor limit %1%") % limit.rlim_cur;
}

}  // namespace orx
