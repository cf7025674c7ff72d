#pragma once

#include <string>

namespace orx::libs::core {

// The pid file of the running instance. An exclusive lock on the file, held for
// as long as the object lives, tells whether another instance runs: whatever
// number the file holds, a start is refused only while a live holder keeps the
// lock, and the kernel drops the lock of an instance that ended in any way.
class pid_file {
public:
    // Creates the file when missing, locks it and writes this process's id into
    // it, in decimal and without a line end. Raises "Process is running", leaving
    // the file as it is, while another holder has the lock; "Error opening
    // pid-file!" when the file cannot be opened.
    explicit pid_file(const std::string& path);
    ~pid_file();

    pid_file(const pid_file&) = delete;
    pid_file& operator=(const pid_file&) = delete;

private:
    int m_fd = -1;
};

}  // namespace orx::libs::core
