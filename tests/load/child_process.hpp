#pragma once

#include <boost/optional.hpp>

#include <chrono>
#include <csignal>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orx::test {

// A program run as a child process, its stdout and stderr collected. Every wait is bounded; the
// child's end is seen through a pidfd, its output through its pipes. A child still running when
// the object goes is killed.
class child_process {
public:
    using milliseconds = std::chrono::milliseconds;

    explicit child_process(std::vector<std::string> arguments) {
        int out[2];
        int err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe2 failed");
        std::vector<char*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        m_pid = fork();
        if (m_pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            dup2(err[1], STDERR_FILENO);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        close(err[1]);
        m_out = out[0];
        m_err = err[0];
        m_pidfd = static_cast<int>(syscall(SYS_pidfd_open, m_pid, 0));
        if (m_pid < 0 || m_pidfd < 0)
            throw std::runtime_error("cannot start " + arguments.front());
    }

    ~child_process() {
        if (!m_status) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        for (const int fd : {m_out, m_err, m_pidfd})
            if (fd >= 0)
                close(fd);
    }

    child_process(const child_process&) = delete;
    child_process& operator=(const child_process&) = delete;

    int pidfd() const { return m_pidfd; }
    void signal(int number) const { kill(m_pid, number); }
    const std::string& output() const { return m_output; }
    const std::string& errors() const { return m_errors; }

    // True once `text` has appeared on stdout; false when the time ran out or the child ended first.
    bool wait_for_output(const std::string& text, milliseconds limit) {
        return wait_until([&] { return m_output.find(text) != std::string::npos; }, limit);
    }

    // The exit status (128 + signal number for a signal), or nothing when the time ran out.
    boost::optional<int> wait_exit(milliseconds limit) {
        wait_until([] { return false; }, limit);
        return m_status;
    }

    // Reads whatever the child has written, waiting at most `limit` for something to happen.
    void take_output(milliseconds limit) {
        pollfd fds[] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}, {m_pidfd, POLLIN, 0}};
        if (poll(fds, 3, static_cast<int>(limit.count())) <= 0)
            return;
        read_into(m_out, m_output, fds[0].revents);
        read_into(m_err, m_errors, fds[1].revents);
        if ((fds[2].revents & POLLIN) && !(fds[0].revents & POLLIN) && !(fds[1].revents & POLLIN))
            reap();
    }

private:
    template <typename Done>
    bool wait_until(Done done, milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
            if (m_status || left.count() <= 0)
                return done();
            take_output(left);
        }
        return true;
    }

    static void read_into(int fd, std::string& text, short events) {
        if (!(events & (POLLIN | POLLHUP)))
            return;
        char buffer[4096];
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got > 0)
            text.append(buffer, static_cast<std::size_t>(got));
    }

    // The child has ended: collect what is left in the pipes and its status.
    void reap() {
        for (const auto& pipe : {std::make_pair(m_out, &m_output), std::make_pair(m_err, &m_errors)}) {
            pollfd fd{pipe.first, POLLIN, 0};
            while (poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN)) {
                const auto before = pipe.second->size();
                read_into(pipe.first, *pipe.second, fd.revents);
                if (pipe.second->size() == before)
                    break;
            }
        }
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    int m_pidfd = -1;
    std::string m_output;
    std::string m_errors;
    boost::optional<int> m_status;
};

}  // namespace orx::test
