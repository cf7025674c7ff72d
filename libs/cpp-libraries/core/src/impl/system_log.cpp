#include "core/system_log.hpp"

#include <syslog.h>

namespace orx::libs::core {

namespace {

class syslog_system_log final : public system_log {
public:
    void open(const char* identity, int options, int facility) override { ::openlog(identity, options, facility); }
    void set_mask(int mask) override { ::setlogmask(mask); }
    void write(int priority, const std::string& line) override { ::syslog(priority, "%s", line.c_str()); }
    void close() override { ::closelog(); }
};

class silent_system_log final : public system_log {
public:
    void open(const char*, int, int) override {}
    void set_mask(int) override {}
    void write(int, const std::string&) override {}
    void close() override {}
};

}  // namespace

system_log::ptr system_log::create_default() { return std::make_shared<syslog_system_log>(); }

system_log::ptr system_log::create_silent() { return std::make_shared<silent_system_log>(); }

}  // namespace orx::libs::core
