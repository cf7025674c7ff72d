#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace orx::test {

struct process_result {
    int exit_status = -1;  // -1 when the program did not exit normally in time
    std::string out;
    std::string err;
};

// Runs `program` with `args`, `input` on its standard input, and collects its two
// output streams. Gives the program at most `limit` to finish; kills it after that.
inline process_result run_process(const std::string& program, const std::vector<std::string>& args,
                                  const std::string& input,
                                  std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    char input_path[] = "/tmp/tarnwick-convert-input-XXXXXX";
    const int input_fd = ::mkstemp(input_path);
    if (input_fd < 0)
        throw std::runtime_error("mkstemp failed");
    ::unlink(input_path);
    if (::write(input_fd, input.data(), input.size()) != static_cast<ssize_t>(input.size()))
        throw std::runtime_error("writing the input failed");
    ::lseek(input_fd, 0, SEEK_SET);

    int out_pipe[2];
    int err_pipe[2];
    if (::pipe2(out_pipe, O_CLOEXEC) != 0 || ::pipe2(err_pipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(input_fd, 0);
        ::dup2(out_pipe[1], 1);
        ::dup2(err_pipe[1], 2);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(input_fd);
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);

    process_result result;
    pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    std::string* texts[2] = {&result.out, &result.err};
    int open_streams = 2;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (open_streams > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || ::poll(fds, 2, static_cast<int>(left.count())) <= 0)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const auto n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                texts[i]->append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            ::close(fds[i].fd);
            fds[i].fd = -1;
            --open_streams;
        }
    }
    if (open_streams > 0) {
        // Out of time: stop the program; the result shows no exit status.
        ::kill(pid, SIGKILL);
        for (auto& fd : fds)
            if (fd.fd >= 0)
                ::close(fd.fd);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (open_streams == 0 && WIFEXITED(status))
        result.exit_status = WEXITSTATUS(status);
    return result;
}

}  // namespace orx::test
