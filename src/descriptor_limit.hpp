#pragma once

#include <core/logger.hpp>

namespace orx {

// Raises the process's soft limit of open descriptors to its hard limit: every
// TCP connection holds one, and a peer that opens many must not exhaust the
// 1024 a service gets by default. Logs the limit in force; a limit that cannot
// be raised is a warning, not a reason to stop.
void raise_descriptor_limit(libs::core::logger& logger);

}  // namespace orx
