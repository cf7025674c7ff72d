#pragma once

#include "support/service_fixture.hpp"

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <dirent.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orx::test {

// One running service in a folder of its own, with its peers and a sink for its
// debug log. The peers exist before the service starts, so that nothing it
// sends is lost for want of a connection.
struct instance {
    explicit instance(const std::function<void(service_configuration&)>& adjust = {}) : config(dir) {
        if (adjust)
            adjust(config);
        config.write();
        debug = std::make_unique<debug_sink>(config.debug_port);
        peers = std::make_unique<service_peers>(config);
        process = std::make_unique<child_process>(program("tarnwick"), std::vector<std::string>{"-c", config.path},
                                                  dir.path());
    }

    // Until the service converts and the JSON output reaches the peers; then
    // nothing is left queued there.
    ::testing::AssertionResult wait_until_converting() {
        if (peers->wait_until_converting(frames::heartbeat) == "<nothing>")
            return ::testing::AssertionFailure() << "no document within the bound\n" << process->error_output();
        peers->drain_json();
        return ::testing::AssertionSuccess();
    }

    // Until the request's downlink message reaches the peers; then nothing is
    // left queued on the binary output.
    ::testing::AssertionResult wait_until_downlink(const std::string& request) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < end) {
            peers->send_request(request);
            if (peers->binary_output(std::chrono::milliseconds(200)) != "<nothing>") {
                while (peers->binary_output(std::chrono::milliseconds(300)) != "<nothing>") {
                }
                return ::testing::AssertionSuccess();
            }
        }
        return ::testing::AssertionFailure() << "no downlink message within the bound\n" << process->error_output();
    }

    temp_dir dir;
    service_configuration config;
    std::unique_ptr<debug_sink> debug;
    std::unique_ptr<service_peers> peers;
    std::unique_ptr<child_process> process;
};

// Feeds the process's peer until the process ends or the bound passes; the
// exit status, or -1 when it still runs.
inline int feed_until_exit(child_process& process, const std::function<void()>& feed,
                           std::chrono::seconds bound = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + bound;
    int status = -1;
    while (status == -1 && std::chrono::steady_clock::now() < end) {
        feed();
        status = process.wait(std::chrono::milliseconds(200));
    }
    return status;
}

// Waits until the file exists (created or moved into its folder); false after the bound.
inline bool wait_for_file(const std::string& folder, const std::string& name,
                          std::chrono::milliseconds bound = std::chrono::seconds(5)) {
    const std::string path = folder + "/" + name;
    struct stat info {};
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0)
        return false;
    ::inotify_add_watch(watch, folder.c_str(), IN_CREATE | IN_MOVED_TO);
    const auto end = std::chrono::steady_clock::now() + bound;
    bool found = ::stat(path.c_str(), &info) == 0;
    while (!found) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd ready{watch, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(left.count())) > 0) {
            char events[4096];
            while (::read(watch, events, sizeof events) > 0) {
            }
        }
        found = ::stat(path.c_str(), &info) == 0;
    }
    ::close(watch);
    return found;
}

// The names in the folder that begin with the prefix, sorted.
inline std::vector<std::string> folder_names(const std::string& path, const std::string& prefix = "") {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(path.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && name.rfind(prefix, 0) == 0)
                names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The hex gateway frame of the test heartbeat stamped at the given millisecond.
inline std::string heartbeat_at(uint64_t milliseconds) {
    static const char digits[] = "0123456789ABCDEF";
    std::string stamp(12, '0');
    for (int i = 11; i >= 0; --i, milliseconds >>= 4)
        stamp[static_cast<std::size_t>(i)] = digits[milliseconds & 0xF];
    return "0006" + stamp + "002F" + frames::heartbeat_payload;
}

}  // namespace orx::test
