#pragma once

#include <core/system_log.hpp>

#include <string>

// A system log that drops every line: benchmarks measure conversions, not logging.
struct silent_log : orx::libs::core::system_log {
    void open(const char*, int, int) override {}
    void set_mask(int) override {}
    void write(int, const std::string&) override {}
    void close() override {}
};
