#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace orx::libs::core {

// The whole text of a file and the permission bits of what was read.
struct regular_file {
    std::string text;
    mode_t mode = 0;
};

// Reads the file at `path` whole without ever waiting on it: anything but a regular
// file (a fifo, a device, a folder, a socket) is refused before a byte is read, and so
// is a file of more than `limit` bytes. A failure raises orx::libs::core::exception
// with one line, "<what> <path>: <reason>" ("Parameter file /x: is a fifo, not a
// regular file").
regular_file read_small_regular_file(const std::string& what, const std::string& path, std::size_t limit);

}  // namespace orx::libs::core
