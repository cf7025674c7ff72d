#pragma once

#include <string>

namespace orx::libs::core::detail {

// Refuses to go on ("Process is running") while the file names a live process.
// A missing file, or one that holds no positive number, is no obstacle.
void check_pid(const std::string& path);

// Writes this process's id, in decimal and without a line end.
void write_pid(const std::string& path);

}  // namespace orx::libs::core::detail
