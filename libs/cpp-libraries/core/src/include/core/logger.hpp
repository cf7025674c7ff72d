#pragma once

#include "core/exception.hpp"
#include "core/scope_guard.hpp"
#include "core/source_location.hpp"
#include "core/system_log.hpp"
#include "core/timestamp.hpp"
#include "core/zmq/curve_keys.hpp"

#include <boost/format.hpp>
#include <boost/optional.hpp>
#include <boost/system/error_code.hpp>
#include <boost/utility/string_view.hpp>
#include <zmq.hpp>

#include <atomic>
#include <cstddef>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace orx::libs::core {

class logger;

// The message text of a line is cut after this many bytes: a line that quotes a
// long input holds no more than this in the system log and the debug socket's queue.
constexpr std::size_t max_log_message = 1024;

// Logs as the start of `text`, at most `limit` bytes of it, followed by a marker
// giving the whole size when it was cut: for lines that quote what came in.
struct excerpt {
    static constexpr std::size_t default_limit = 256;
    explicit excerpt(boost::string_view text, std::size_t limit = default_limit) : m_text(text), m_limit(limit) {}

    boost::string_view m_text;
    std::size_t m_limit;
};
std::ostream& operator<<(std::ostream& out, const excerpt& e);

// `text` itself when it holds at most `limit` bytes; otherwise its start, never
// ending inside a UTF-8 sequence, and " [... cut, <n> bytes in all]".
std::string cut_text(boost::string_view text, std::size_t limit);

// A named source of log lines. Lines go to the system log and, prefixed with
// "&<module>:<component> ", to the root logger's debug socket.
class component_logger {
public:
    using ptr = std::unique_ptr<component_logger>;
    using indent_guard = scope_guard;

    enum level : int { ERROR = 3, WARNING = 4, INFO = 6, DEBUG = 7 };

    // One log line under construction; emitted when destroyed.
    class formatter {
    public:
        formatter(int log_level, const boost::string_view& format, const component_logger& logger);
        formatter(formatter&& other) noexcept;
        formatter(const formatter&) = delete;
        formatter& operator=(const formatter&) = delete;
        formatter& operator=(formatter&&) = delete;
        ~formatter();

        template <typename T>
        formatter& operator%(T&& value) {
            if (m_active)
                m_format % std::forward<T>(value);
            return *this;
        }

        formatter& location(source_location location);
        formatter& function(source_location location);
        formatter& short_function(source_location location);
        formatter& date_time(timestamp time);

    private:
        boost::format m_format;
        int m_log_level;
        const component_logger& m_logger;
        boost::optional<source_location> m_source_location;
        boost::string_view m_function;
        boost::optional<timestamp> m_timestamp;
        bool m_active;
    };

    component_logger(const logger& root, const std::string& module_name, const std::string& component_name);
    virtual ~component_logger() = default;
    component_logger(const component_logger&) = delete;
    component_logger& operator=(const component_logger&) = delete;

    ptr component(const std::string& component_name) const;

    formatter debug(const boost::string_view& format) const { return formatter(DEBUG, format, *this); }
    formatter info(const boost::string_view& format) const { return formatter(INFO, format, *this); }
    formatter warning(const boost::string_view& format) const { return formatter(WARNING, format, *this); }
    formatter error(const boost::string_view& format) const { return formatter(ERROR, format, *this); }

    indent_guard enter_function(source_location location) const;
    indent_guard enter_function_short(source_location location, const boost::string_view& text) const;
    indent_guard enter_scope(const boost::string_view& name) const;
    indent_guard enter_scope(source_location location) const;
    indent_guard enter_scope(source_location location, const boost::string_view& text) const;

    void log_exception() const;
    void log_exception(source_location location) const;
    void log_exception(const located_exception& e) const;
    void log_error(const boost::system::error_code& error, source_location location) const;

    // Whether a line of this level would reach the system log or the debug socket;
    // lets callers skip formatting lines nobody receives.
    bool is_enabled(int log_level) const;

private:
    friend class formatter;
    indent_guard indent() const;
    std::string make_indent() const;
    void emit(int log_level, const std::string& body, const boost::optional<timestamp>& time) const;

    mutable std::atomic<int32_t> m_indent{0};
    const logger& m_logger;
    std::string m_module_name;
    std::string m_zmq_prefix;
};

// The process's root logger: owns the system-log connection and the debug socket.
class logger : public component_logger {
public:
    logger(const std::string& module_name, const std::string& component_name,
           system_log::ptr system_log = system_log::create_default());
    ~logger() override;

    // Connects the debug socket; with keys, as a CURVE client of a collector
    // that holds the server key. Lines of every level but debug are queued for a
    // collector from then on; debug lines reach the socket while a collector is
    // connected (or when local debug formats them anyway).
    void connect(std::string endpoint, const boost::optional<zmq::curve_client_keys>& curve = boost::none);

    bool is_debug() const { return m_debug; }
    void set_debug(bool on);
    bool is_writing_to_socket() const { return m_writing_to_socket; }
    void set_writing_to_socket(bool on) { m_writing_to_socket = on; }
    bool is_logger_enabled() const { return m_enable_logger; }

private:
    friend class component_logger;
    void write(int log_level, const std::string& system_line, const std::string& socket_line) const;
    bool socket_connected() const { return m_connected; }
    bool collector_present() const { return m_collectors > 0; }
    void start_collector_watch();
    void watch_collectors(void* monitor);

    std::string m_module_name;
    std::atomic<bool> m_debug{false};
    std::atomic<bool> m_writing_to_socket{true};
    bool m_enable_logger = true;
    std::atomic<bool> m_connected{false};
    // Connections to a collector that completed their handshake, kept by a
    // thread that reads the debug socket's monitor events.
    std::atomic<int> m_collectors{0};
    std::thread m_collector_watch;
    system_log::ptr m_system_log;
    ::zmq::context_t m_zmq_context;
    mutable std::mutex m_socket_mutex;
    mutable ::zmq::socket_t m_debug_socket;
};

}  // namespace orx::libs::core
