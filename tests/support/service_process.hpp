#pragma once

// Programs run as child processes, and waits on what they write.

#include "support/temp_dir.hpp"

#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orx::test {

// A whole file; empty when it cannot be opened.
inline std::string read_file(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), {}};
}

// Waits until `holds` is true, asking again after each change of a file in the folder (written,
// created or moved there); false when it is not within the bound.
inline bool wait_in_folder(const std::string& folder, const std::function<bool()>& holds,
                           std::chrono::milliseconds bound = std::chrono::seconds(10)) {
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ::inotify_add_watch(watch, folder.c_str(), IN_MODIFY | IN_CREATE | IN_MOVED_TO);
    const auto end = std::chrono::steady_clock::now() + bound;
    // Asked once the watch is in place, so that no change goes unseen.
    bool held = holds();
    for (pollfd changed{watch, POLLIN, 0}; !held; held = holds()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
        char events[4096];
        if (left <= 0 || ::poll(&changed, 1, static_cast<int>(left)) <= 0 || ::read(watch, events, sizeof events) < 0)
            break;
    }
    ::close(watch);
    return held;
}

// A program started as a child process, its standard output and error written to files in
// `output_dir` and its standard input read from `input_file` when one is named; killed when the
// object goes if it still runs.
class child_process {
public:
    child_process(const std::string& program, const std::vector<std::string>& arguments, const std::string& output_dir,
                  const std::string& working_dir = "", const std::string& input_file = "")
        : m_folder(output_dir), m_name(std::to_string(++s_started)) {
        // Everything the child needs is made before the fork: after it, in a process with
        // other threads, the child may not allocate.
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const auto err = path("stderr"), out = path("stdout");
        if ((m_pid = fork()) == 0) {
            dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
            dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
            if (!input_file.empty())
                dup2(::open(input_file.c_str(), O_RDONLY), 0);
            if (working_dir.empty() || chdir(working_dir.c_str()) == 0)
                execv(program.c_str(), argv.data());
            _exit(127);
        }
        // A process descriptor becomes readable when the process ends.
        m_pidfd = static_cast<int>(::syscall(SYS_pidfd_open, m_pid, 0));
    }
    ~child_process() {
        if (!m_status && ::kill(m_pid, SIGKILL) == 0)
            waitpid(m_pid, nullptr, 0);
        ::close(m_pidfd);
    }
    child_process(const child_process&) = delete;
    child_process& operator=(const child_process&) = delete;

    pid_t pid() const { return m_pid; }
    int pidfd() const { return m_pidfd; }
    void signal(int number) const { ::kill(m_pid, number); }

    // The exit status once the process ended within the bound; -1 while it runs, -2 when a
    // signal ended it.
    int wait(std::chrono::milliseconds bound = std::chrono::seconds(5)) {
        pollfd ended{m_pidfd, POLLIN, 0};
        int status = 0;
        if (!m_status && ::poll(&ended, 1, static_cast<int>(bound.count())) == 1 && waitpid(m_pid, &status, 0) == m_pid)
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
        return m_status.value_or(-1);
    }

    std::string error_output() const { return read_file(path("stderr")); }
    std::string standard_output() const { return read_file(path("stdout")); }

    // Until the standard error (or output) holds what `holds` looks for; false after the bound.
    using text_test = std::function<bool(const std::string&)>;
    bool wait_for_error_output(const text_test& holds,
                               std::chrono::milliseconds bound = std::chrono::seconds(10)) const {
        return wait_in_folder(
            m_folder, [&] { return holds(error_output()); }, bound);
    }
    bool wait_for_standard_output(const text_test& holds,
                                  std::chrono::milliseconds bound = std::chrono::seconds(10)) const {
        return wait_in_folder(
            m_folder, [&] { return holds(standard_output()); }, bound);
    }

private:
    std::string path(const char* stream) const { return m_folder + "/" + stream + "." + m_name; }

    inline static int s_started = 0;
    std::string m_folder, m_name;
    pid_t m_pid = -1;
    int m_pidfd = -1;
    std::optional<int> m_status;
};

// What a program run to its end printed, and how it ended (see child_process::wait).
struct process_result {
    int exit_status = -1;
    std::string out, err;
};

// Runs `program` with `input` on its standard input until it ends, within the bound.
inline process_result run_process(const std::string& program, const std::vector<std::string>& arguments,
                                  const std::string& input, std::chrono::milliseconds bound = std::chrono::seconds(5)) {
    temp_dir dir;
    std::ofstream(dir.file("stdin")) << input;
    child_process child(program, arguments, dir.path(), "", dir.file("stdin"));
    const int status = child.wait(bound);
    return {status, child.standard_output(), child.error_output()};
}

}  // namespace orx::test
