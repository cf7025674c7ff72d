#pragma once

#include <memory>
#include <string>

namespace orx::libs::core {

// Where the logger writes its system-log lines. The default forwards to the
// system log (openlog, setlogmask, syslog, closelog); tests install their own.
class system_log {
public:
    using ptr = std::shared_ptr<system_log>;
    virtual ~system_log() = default;
    virtual void open(const char* identity, int options, int facility) = 0;
    virtual void set_mask(int mask) = 0;
    virtual void write(int priority, const std::string& line) = 0;
    virtual void close() = 0;

    static ptr create_default();
    // Drops every line: for benchmarks and fuzz targets, whose millions of lines
    // would measure the log and fill the machine's.
    static ptr create_silent();
};

}  // namespace orx::libs::core
