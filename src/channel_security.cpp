#include "channel_security.hpp"

#include <core/exception.hpp>

#include <cstring>

namespace orx {

namespace zmq = libs::core::zmq;

namespace {

// Refusals of one address are warned about at most this often; each is counted.
constexpr std::chrono::seconds refusal_warning_interval{10};
// Failed accepts are warned about at most this often.
constexpr std::chrono::seconds accept_failure_warning_interval{10};
// How long a client of a CURVE channel may take for its handshake before the
// connection is closed: far more than a client on a slow link needs, and short
// enough that idle connections from an unauthorized peer do not pile up.
constexpr std::chrono::seconds curve_handshake_interval{5};
// Addresses remembered for that; beyond it those whose interval has passed are
// forgotten, and all of them when none has.
constexpr std::size_t max_remembered_addresses = 1024;

template <typename F>
void collect_problem(std::vector<std::string>& problems, F&& read) {
    try {
        read();
    } catch (const libs::core::exception& e) {
        problems.push_back(e.error());
    }
}

}  // namespace

bool is_network_endpoint(const std::string& endpoint) {
    return endpoint.rfind("ipc://", 0) != 0 && endpoint.rfind("inproc://", 0) != 0;
}

std::vector<std::string> security_problems(const config::security_group& group) {
    std::vector<std::string> problems;
    collect_problem(problems, [&] { zmq::read_secret_key_file(group.secret_key_file); });
    collect_problem(problems, [&] { zmq::read_authorized_keys(group.authorized_keys_dir); });
    if (group.server_public_key_file)
        collect_problem(problems, [&] { zmq::read_public_key_file(*group.server_public_key_file); });
    return problems;
}

boost::optional<zmq::curve_client_keys> client_keys_for(const config& configuration, const std::string& endpoint) {
    const auto& security = configuration.security;
    if (!security || !security->server_public_key_file || !is_network_endpoint(endpoint))
        return boost::none;
    return zmq::curve_client_keys{zmq::read_secret_key_file(security->secret_key_file),
                                  zmq::read_public_key_file(*security->server_public_key_file)};
}

channel_security::channel_security(libs::core::events_loop& events_loop, const config& configuration,
                                   const libs::core::component_logger& logger, std::function<void()> on_refused)
    : m_logger(logger), m_files(configuration.security), m_on_refused(std::move(on_refused)) {
    if (!m_files)
        return;
    m_own_keys = zmq::read_secret_key_file(m_files->secret_key_file);
    if (m_files->server_public_key_file)
        m_server_key = zmq::read_public_key_file(*m_files->server_public_key_file);
    auto authorized = zmq::read_authorized_keys(m_files->authorized_keys_dir);
    log_key_count(authorized.size());
    m_zap_handler = zmq::zap_handler::create(
        events_loop, std::move(authorized), [this](const zmq::zap_handler::refusal& r) { on_refusal(r); },
        [this](const std::string& endpoint, int error) { on_accept_failure(endpoint, error); });
}

channel_security::~channel_security() = default;

zmq::socket::options channel_security::bind_options(const std::string& endpoint, zmq::socket::options options) const {
    if (m_own_keys && is_network_endpoint(endpoint)) {
        options.curve_as_server = zmq::socket::curve_server{m_own_keys->secret_key, m_zap_handler.get()};
        options.handshake_interval = curve_handshake_interval;
    }
    return options;
}

zmq::socket::options channel_security::connect_options(const std::string& endpoint,
                                                       zmq::socket::options options) const {
    if (m_own_keys && m_server_key && is_network_endpoint(endpoint))
        options.curve_as_client = zmq::curve_client_keys{*m_own_keys, *m_server_key};
    return options;
}

boost::optional<std::string> channel_security::reload_authorized_keys() {
    if (!m_zap_handler)
        return boost::none;
    std::string reason;
    try {
        auto authorized = zmq::read_authorized_keys(m_files->authorized_keys_dir);
        log_key_count(authorized.size());
        m_zap_handler->set_authorized(std::move(authorized));
        return boost::none;
    } catch (const libs::core::exception& e) {
        reason = e.error();
    } catch (const std::exception& e) {
        // A folder that changes while it is read fails in the file system library.
        reason = e.what();
    }
    m_logger.error("authorized keys kept as they were: %1%") % reason;
    return reason;
}

void channel_security::log_key_count(std::size_t count) const {
    if (count == 0)
        m_logger.warning("no authorized keys in %1%: every client of a TCP channel is refused") %
            m_files->authorized_keys_dir;
    else
        m_logger.info("authorized keys read from %1%: %2%") % m_files->authorized_keys_dir % count;
}

void channel_security::on_refusal(const zmq::zap_handler::refusal& refusal) {
    m_on_refused();
    const auto now = std::chrono::steady_clock::now();
    const auto found = m_warned.find(refusal.address);
    if (found != m_warned.end() && now - found->second < refusal_warning_interval)
        return;
    if (found == m_warned.end() && m_warned.size() >= max_remembered_addresses) {
        for (auto entry = m_warned.begin(); entry != m_warned.end();)
            entry = now - entry->second < refusal_warning_interval ? std::next(entry) : m_warned.erase(entry);
        // A flood of addresses that keeps every entry recent: the map stays bounded,
        // and an address forgotten is warned about again, never silenced.
        if (m_warned.size() >= max_remembered_addresses)
            m_warned.clear();
    }
    m_warned[refusal.address] = now;
    m_logger.warning("connection refused from %1%: %2%") % refusal.address % refusal.reason;
}

void channel_security::on_accept_failure(const std::string& endpoint, int error) {
    ++m_accept_failures;
    const auto now = std::chrono::steady_clock::now();
    if (m_accept_failure_warned && now - *m_accept_failure_warned < accept_failure_warning_interval)
        return;
    m_accept_failure_warned = now;
    m_logger.warning("cannot accept connections on %1%: %2% (%3% failed accepts so far)") % endpoint %
        std::strerror(error) % m_accept_failures;
}

}  // namespace orx
