#pragma once

#include "config.hpp"

#include <core/events_loop.hpp>
#include <core/logger.hpp>
#include <core/zmq/curve_keys.hpp>
#include <core/zmq/socket.hpp>
#include <core/zmq/zap_handler.hpp>

#include <boost/optional.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace orx {

// Whether a channel on this endpoint leaves the machine's own boundaries: every
// transport but ipc (guarded by file permissions) and inproc (inside the process).
bool is_network_endpoint(const std::string& endpoint);

// Every problem of the files the group names, one line each: a file that cannot
// be read or is no key file, a secret key file open to group or others, an
// authorized keys folder that cannot be read or holds a file that is no key.
std::vector<std::string> security_problems(const config::security_group& group);

// The keys of a CURVE client for a channel the service connects to `endpoint`:
// none without a "security" group that names the server's public key, nor for an
// endpoint on this machine. Reads the key files; a failure raises
// orx::libs::core::exception naming the file.
boost::optional<libs::core::zmq::curve_client_keys> client_keys_for(const config& configuration,
                                                                    const std::string& endpoint);

// The CURVE side of the service's channels. With a "security" group, every
// network channel the service binds is a CURVE server with the service's key
// pair, admitting only the clients whose public key is in the authorized folder,
// and every network channel it connects is a CURVE client when the server's key
// is given. Without the group every channel stays plain.
class channel_security {
public:
    // Reads the key files and starts the process's ZAP handler on the loop;
    // raises orx::libs::core::exception naming the file that fails. `on_refused`
    // runs once for every connection refused: one the handler refuses, and one
    // that ends before its handshake completes, whatever the client sent. A
    // connection a channel cannot accept (no descriptor left) is warned about.
    channel_security(libs::core::events_loop& events_loop, const config& configuration,
                     const libs::core::component_logger& logger, std::function<void()> on_refused);
    ~channel_security();
    channel_security(const channel_security&) = delete;
    channel_security& operator=(const channel_security&) = delete;

    // `options` completed for a channel bound, or connected, to `endpoint`.
    libs::core::zmq::socket::options bind_options(const std::string& endpoint,
                                                  libs::core::zmq::socket::options options = {}) const;
    libs::core::zmq::socket::options connect_options(const std::string& endpoint,
                                                     libs::core::zmq::socket::options options = {}) const;

    // Reads the authorized folder again and admits exactly its keys from the next
    // connection on. On failure the keys in force stay and the reason is logged
    // and returned; nothing happens without a "security" group.
    boost::optional<std::string> reload_authorized_keys();

private:
    void on_refusal(const libs::core::zmq::zap_handler::refusal& refusal);
    void on_accept_failure(const std::string& endpoint, int error);
    void log_key_count(std::size_t count) const;

    const libs::core::component_logger& m_logger;
    boost::optional<config::security_group> m_files;
    boost::optional<libs::core::zmq::curve_key_pair> m_own_keys;
    boost::optional<libs::core::zmq::curve_key> m_server_key;
    std::function<void()> m_on_refused;
    // When each refused address was last warned about.
    std::map<std::string, std::chrono::steady_clock::time_point> m_warned;
    uint64_t m_accept_failures = 0;
    boost::optional<std::chrono::steady_clock::time_point> m_accept_failure_warned;
    libs::core::zmq::zap_handler::ptr m_zap_handler;
};

}  // namespace orx
