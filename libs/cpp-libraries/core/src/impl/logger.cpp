#include "core/logger.hpp"

#include "core/zmq/curve_options.hpp"

#include <cstdint>
#include <cstring>
#include <ostream>
#include <set>

#include <syslog.h>

namespace orx::libs::core {

// ---- cutting long texts ----

std::string cut_text(boost::string_view text, std::size_t limit) {
    if (text.size() <= limit)
        return std::string(text);
    // Back off over at most three continuation bytes so that no character is split.
    std::size_t end = limit;
    for (int i = 0; i < 3 && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80; ++i)
        --end;
    std::string cut(text.substr(0, end));
    cut += " [... cut, " + std::to_string(text.size()) + " bytes in all]";
    return cut;
}

std::ostream& operator<<(std::ostream& out, const excerpt& e) { return out << cut_text(e.m_text, e.m_limit); }

// ---- formatter ----

component_logger::formatter::formatter(int log_level, const boost::string_view& format, const component_logger& logger)
    : m_log_level(log_level), m_logger(logger), m_active(logger.is_enabled(log_level)) {
    if (m_active)
        m_format.parse(std::string(format.data()));
}

component_logger::formatter::formatter(formatter&& other) noexcept
    : m_format(std::move(other.m_format)), m_log_level(other.m_log_level), m_logger(other.m_logger),
      m_source_location(other.m_source_location), m_function(other.m_function), m_timestamp(other.m_timestamp),
      m_active(other.m_active) {
    other.m_active = false;
}

component_logger::formatter& component_logger::formatter::location(source_location location) {
    m_source_location = location;
    return *this;
}

component_logger::formatter& component_logger::formatter::function(source_location location) {
    m_function = location.function();
    return *this;
}

component_logger::formatter& component_logger::formatter::short_function(source_location location) {
    m_function = location.short_function();
    return *this;
}

component_logger::formatter& component_logger::formatter::date_time(timestamp time) {
    m_timestamp = time;
    return *this;
}

component_logger::formatter::~formatter() {
    if (!m_active)
        return;
    try {
        std::string body;
        if (m_source_location) {
            auto file = m_source_location->remove_directory_prefix();
            body.append(file.data(), file.size());
            body += ':';
            body += std::to_string(m_source_location->line());
            body += ' ';
        }
        if (!m_function.empty()) {
            body.append(m_function.data(), m_function.size());
            body += ": ";
        }
        std::string message = m_format.str();
        if (message.size() > max_log_message)
            message = cut_text(message, max_log_message);
        body += message;
        m_logger.emit(m_log_level, body, m_timestamp);
    } catch (...) {
        // A line that cannot be built is lost; logging never fails its caller.
    }
}

// ---- component_logger ----

component_logger::component_logger(const logger& root, const std::string& module_name,
                                   const std::string& component_name)
    : m_logger(root), m_module_name(module_name), m_zmq_prefix("&" + module_name + ":" + component_name + " ") {}

component_logger::ptr component_logger::component(const std::string& component_name) const {
    return std::make_unique<component_logger>(m_logger, m_module_name, component_name);
}

bool component_logger::is_enabled(int log_level) const {
    // The system log shows debug lines only in debug mode; the socket gets every
    // level once it is connected.
    const bool to_system_log = log_level < DEBUG || m_logger.is_debug();
    // Other lines wait in the socket's queue for a collector to come; a debug line,
    // one per frame, is formatted only while a collector can take it.
    const bool to_socket = m_logger.is_writing_to_socket() && m_logger.socket_connected() &&
                           (log_level < DEBUG || m_logger.collector_present());
    return to_system_log || to_socket;
}

component_logger::indent_guard component_logger::indent() const {
    ++m_indent;
    return execute_on_scope_exit([this]() noexcept { --m_indent; });
}

std::string component_logger::make_indent() const {
    const int32_t depth = m_indent;
    if (depth <= 0)
        return {};
    return std::string(static_cast<std::size_t>(depth) * 4, ' ') + "| ";
}

component_logger::indent_guard component_logger::enter_function(source_location location) const {
    debug("%1%") % location.function();
    return indent();
}

component_logger::indent_guard component_logger::enter_function_short(source_location location,
                                                                      const boost::string_view& text) const {
    debug("%1%: %2%") % location.short_function() % text;
    return indent();
}

component_logger::indent_guard component_logger::enter_scope(const boost::string_view& name) const {
    debug("%1%") % name;
    return indent();
}

component_logger::indent_guard component_logger::enter_scope(source_location location) const {
    debug("%1%:%2%") % location.remove_directory_prefix() % location.line();
    return indent();
}

component_logger::indent_guard component_logger::enter_scope(source_location location,
                                                             const boost::string_view& text) const {
    debug("%1%:%2% (%3%)") % location.remove_directory_prefix() % location.line() % text;
    return indent();
}

void component_logger::log_exception() const {
    if (!m_logger.is_logger_enabled())
        return;
    error("%1%") % exception_to_string();
}

void component_logger::log_exception(source_location location) const {
    error("Caught exeption").location(location);
    log_exception();
}

void component_logger::log_exception(const located_exception& e) const {
    if (!m_logger.is_logger_enabled())
        return;
    error("%1%") % exception_to_string(e);
}

void component_logger::log_error(const boost::system::error_code& error_code, source_location location) const {
    if (!m_logger.is_logger_enabled())
        return;
    error("%1%:%2%: %3%") % location.remove_directory_prefix() % location.line() % error_code.message();
}

void component_logger::emit(int log_level, const std::string& body, const boost::optional<timestamp>& time) const {
    const timestamp when = time ? *time : timestamp::current_time();
    const std::string date = when.to_iso_8601(true, ' ', false) + ' ';
    const std::string indentation = make_indent();
    const bool debug_mode = m_logger.is_debug();
    const std::string system_line = debug_mode ? date + indentation + body : body;
    std::string socket_line;
    if (m_logger.is_writing_to_socket())
        socket_line = m_zmq_prefix + date + indentation + body;
    m_logger.write(log_level, system_line, socket_line);
}

// ---- logger ----

logger::logger(const std::string& module_name, const std::string& component_name, system_log::ptr system_log)
    // The root is its own root: the reference is bound to the logger being built,
    // not cast from its base part, which is not a logger yet while it is built.
    : component_logger(*this, module_name, component_name), m_module_name(module_name),
      m_system_log(system_log ? std::move(system_log) : system_log::create_default()), m_zmq_context(),
      m_debug_socket(m_zmq_context, ::zmq::socket_type::push) {
    m_debug_socket.set(::zmq::sockopt::linger, 5000);
    m_system_log->open(m_module_name.c_str(), 0, LOG_USER);
    set_debug(false);
    info("Starting %1%") % m_module_name;
}

logger::~logger() {
    m_system_log->close();
    {
        std::lock_guard<std::mutex> lock(m_socket_mutex);
        // The monitor stops before the socket closes: an event raised while the
        // context shuts down could not be sent, and libzmq would not free it.
        if (m_collector_watch.joinable())
            zmq_socket_monitor(m_debug_socket.handle(), nullptr, 0);
        m_debug_socket.close();
    }
    // Ends the watch's wait on its monitor socket; the queued lines keep their linger.
    if (m_collector_watch.joinable()) {
        zmq_ctx_shutdown(m_zmq_context.handle());
        m_collector_watch.join();
    }
    m_zmq_context.close();
}

void logger::set_debug(bool on) {
    m_system_log->close();
    m_system_log->open(m_module_name.c_str(), on ? LOG_PERROR : 0, LOG_USER);
    m_system_log->set_mask(on ? LOG_UPTO(LOG_DEBUG) : LOG_UPTO(LOG_INFO));
    m_debug = on;
}

void logger::connect(std::string endpoint, const boost::optional<zmq::curve_client_keys>& curve) {
    {
        std::lock_guard<std::mutex> lock(m_socket_mutex);
        if (curve)
            zmq::make_curve_client(m_debug_socket.handle(), curve->own_keys, curve->server_public_key);
        if (!m_collector_watch.joinable())
            start_collector_watch();
        m_debug_socket.connect(endpoint);
        m_connected = true;
    }
    debug("Connected to socket");
}

void logger::start_collector_watch() {
    // The context is the logger's own: the name is unique in it.
    static constexpr char monitor_endpoint[] = "inproc://debug-log-monitor";
    void* monitor = nullptr;
    if (zmq_socket_monitor(m_debug_socket.handle(), monitor_endpoint,
                           ZMQ_EVENT_HANDSHAKE_SUCCEEDED | ZMQ_EVENT_DISCONNECTED) == 0)
        monitor = zmq_socket(m_zmq_context.handle(), ZMQ_PAIR);
    if (monitor == nullptr || zmq_connect(monitor, monitor_endpoint) != 0) {
        // Unwatched, a collector is assumed: debug lines are formatted as they come.
        if (monitor != nullptr)
            zmq_close(monitor);
        m_collectors = 1;
        return;
    }
    m_collector_watch = std::thread([this, monitor] { watch_collectors(monitor); });
}

void logger::watch_collectors(void* monitor) {
    // Each event is two parts: its number and value, then the peer's endpoint.
    std::set<std::string> collectors;
    for (;;) {
        ::zmq::message_t event;
        ::zmq::message_t address;
        if (zmq_msg_recv(event.handle(), monitor, 0) < 0) {
            if (zmq_errno() == EINTR)
                continue;
            break;  // the context is shut down
        }
        if (!event.more() || zmq_msg_recv(address.handle(), monitor, 0) < 0)
            break;
        uint16_t number = 0;
        if (event.size() >= sizeof number)
            std::memcpy(&number, event.data(), sizeof number);
        if (number == ZMQ_EVENT_HANDSHAKE_SUCCEEDED)
            collectors.insert(address.to_string());
        else if (number == ZMQ_EVENT_DISCONNECTED)
            collectors.erase(address.to_string());
        m_collectors = static_cast<int>(collectors.size());
    }
    zmq_close(monitor);
}

void logger::write(int log_level, const std::string& system_line, const std::string& socket_line) const {
    m_system_log->write(log_level, system_line);
    if (socket_line.empty() || !m_connected)
        return;
    std::lock_guard<std::mutex> lock(m_socket_mutex);
    try {
        // A line that cannot be queued at once (no peer, full queue) is dropped.
        (void)m_debug_socket.send(::zmq::buffer(socket_line), ::zmq::send_flags::dontwait);
    } catch (const ::zmq::error_t&) {
        // Other send failures are dropped too: logging never fails its caller.
    }
}

}  // namespace orx::libs::core
