#pragma once

#include "support/temp_dir.hpp"

#include <chrono>
#include <csignal>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orx::test {

// Reads a whole file; empty when it cannot be opened.
inline std::string read_file(const std::string& path) {
    std::ifstream file(path);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

// A program started as a child process with its standard error and output
// captured in files (and its standard input read from one when named); killed
// when the object goes if it still runs.
class child_process {
public:
    child_process(const std::string& program, const std::vector<std::string>& arguments, const std::string& output_dir,
                  const std::string& working_dir = "", const std::string& input_file = "")
        : m_stderr(output_dir + "/stderr." + std::to_string(++counter())),
          m_stdout(output_dir + "/stdout." + std::to_string(counter())) {
        // Everything the child needs is made before the fork: after it, in a process
        // with other threads, the child may not allocate.
        std::vector<std::string> all{program};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        // The output files exist from the start, so that they can be watched at once.
        std::ofstream(m_stderr).flush();
        std::ofstream(m_stdout).flush();
        m_pid = fork();
        if (m_pid < 0)
            throw std::runtime_error("fork failed");
        if (m_pid == 0) {
            const int err = ::open(m_stderr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int out = ::open(m_stdout.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(err, 2);
            dup2(out, 1);
            if (!input_file.empty())
                dup2(::open(input_file.c_str(), O_RDONLY), 0);
            if (!working_dir.empty() && chdir(working_dir.c_str()) != 0)
                _exit(127);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        // A process descriptor becomes readable when the process ends.
        m_pidfd = static_cast<int>(::syscall(SYS_pidfd_open, m_pid, 0));
    }
    ~child_process() {
        if (m_pid > 0 && !m_status) {
            ::kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_pidfd >= 0)
            ::close(m_pidfd);
    }
    child_process(const child_process&) = delete;
    child_process& operator=(const child_process&) = delete;

    pid_t pid() const { return m_pid; }
    int pidfd() const { return m_pidfd; }
    void signal(int number) const { ::kill(m_pid, number); }

    // The exit status once the process ended within the bound; -1 when it still
    // runs, -2 when it ended by a signal.
    int wait(std::chrono::milliseconds bound = std::chrono::seconds(5)) {
        if (m_status)
            return *m_status;
        if (m_pidfd >= 0) {
            pollfd ready{m_pidfd, POLLIN, 0};
            ::poll(&ready, 1, static_cast<int>(bound.count()));
        }
        int status = 0;
        if (waitpid(m_pid, &status, m_pidfd >= 0 ? WNOHANG : 0) != m_pid)
            return -1;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
        return *m_status;
    }

    std::string error_output() const { return read_file(m_stderr); }
    std::string standard_output() const { return read_file(m_stdout); }

    // Wait until the standard error (or output) holds what `holds` looks for,
    // woken by each write to the file; true when it did within the bound.
    template <typename Predicate>
    bool wait_for_error_output(Predicate holds, std::chrono::milliseconds bound = std::chrono::seconds(10)) const {
        return wait_for_file(m_stderr, holds, bound);
    }
    template <typename Predicate>
    bool wait_for_standard_output(Predicate holds, std::chrono::milliseconds bound = std::chrono::seconds(10)) const {
        return wait_for_file(m_stdout, holds, bound);
    }

private:
    template <typename Predicate>
    static bool wait_for_file(const std::string& path, Predicate holds, std::chrono::milliseconds bound) {
        const int watch = ::inotify_init1(IN_CLOEXEC);
        if (watch < 0 || ::inotify_add_watch(watch, path.c_str(), IN_MODIFY) < 0) {
            if (watch >= 0)
                ::close(watch);
            return holds(read_file(path));
        }
        const auto end = std::chrono::steady_clock::now() + bound;
        bool held = false;
        // The text is read after the watch is in place, so no write goes unseen.
        while (!(held = holds(read_file(path)))) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            pollfd ready{watch, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0)
                break;
            char events[4096];
            (void)!::read(watch, events, sizeof events);
        }
        if (!held)
            held = holds(read_file(path));
        ::close(watch);
        return held;
    }

    static int& counter() {
        static int value = 0;
        return value;
    }

    std::string m_stderr;
    std::string m_stdout;
    pid_t m_pid = -1;
    int m_pidfd = -1;
    std::optional<int> m_status;
};

// What a program run to its end printed, and how it ended (see child_process::wait).
struct process_result {
    int exit_status = -1;
    std::string out;
    std::string err;
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
