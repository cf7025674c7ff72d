#include "statistics.hpp"

#include <core/exception.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orx {

namespace {

uint64_t whole_seconds(statistics::clock::duration quiet) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(quiet).count();
    return seconds > 0 ? static_cast<uint64_t>(seconds) : 0;
}

// A new regular file beside `path`, made for this write alone: O_EXCL fails on any
// name that exists, a link or a fifo someone placed there included, so nothing is
// ever written through one. The name is random, so a name taken in advance only
// costs another try. The mode is 0666 less the umask, as for any file made new.
int create_temporary(const std::string& path, std::string& temporary) {
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
        temporary = path + ".tmp." + std::to_string(::getpid()) + suffix;
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

}  // namespace

void statistics::on_document_published(boost::string_view topic) {
    const auto found = m_documents.find(topic);
    if (found != m_documents.end())
        ++found->second;
    else
        m_documents.emplace(std::string(topic), 1);
}

uint64_t statistics::documents_published() const {
    uint64_t total = 0;
    for (const auto& topic : m_documents)
        total += topic.second;
    return total;
}

std::string statistics::summary() const {
    std::ostringstream line;
    line << "statistics: frames received " << m_frames_received << ", documents published " << documents_published();
    if (!m_documents.empty()) {
        line << " (";
        const char* separator = "";
        for (const auto& topic : m_documents) {
            line << separator << topic.first << ' ' << topic.second;
            separator = ", ";
        }
        line << ')';
    }
    line << ", downlink messages sent " << m_downlink_sent << ", conversion failures " << m_conversion_failures
         << ", json parse failures " << m_json_parse_failures << ", tmp_output dropped " << m_tmp_output_dropped
         << ", connections refused " << m_connections_refused;
    if (m_mqtt)
        line << ", mqtt " << (m_mqtt->connected ? "connected" : "disconnected") << " (published " << m_mqtt->published
             << ", queued " << m_mqtt->queued << ", dropped " << m_mqtt->dropped << ", requests " << m_mqtt->requests
             << ", reconnects " << m_mqtt->reconnects << ')';
    return line.str();
}

std::string statistics::liveness(clock::time_point now) const {
    std::ostringstream text;
    auto quiet = [&text, now](const char* input, const std::optional<clock::time_point>& last) {
        text << ", last " << input << ' ';
        if (last)
            text << whole_seconds(now - *last) << " s ago";
        else
            text << "never";
    };
    quiet("frame", m_last_frame);
    quiet("request", m_last_request);
    return text.str();
}

std::string statistics::prometheus_text(clock::time_point now) const {
    std::ostringstream text;
    auto counter = [&text](const char* name, const char* help, uint64_t value) {
        text << "# HELP " << name << ' ' << help << "\n# TYPE " << name << " counter\n" << name << ' ' << value << '\n';
    };
    counter("tarnwick_frames_received_total", "Gateway frames received on both binary inputs.", m_frames_received);
    text << "# HELP tarnwick_documents_published_total JSON documents published, by topic.\n"
         << "# TYPE tarnwick_documents_published_total counter\n";
    for (const auto& topic : m_documents)
        text << "tarnwick_documents_published_total{topic=\"" << topic.first << "\"} " << topic.second << '\n';
    counter("tarnwick_downlink_messages_sent_total", "Downlink messages sent on the binary output.", m_downlink_sent);
    counter("tarnwick_conversion_failures_total", "Messages dropped because their conversion failed.",
            m_conversion_failures);
    counter("tarnwick_json_parse_failures_total", "JSON requests dropped because they did not parse.",
            m_json_parse_failures);
    counter("tarnwick_tmp_output_dropped_total", "Downlink messages the raw output could not queue.",
            m_tmp_output_dropped);
    counter("tarnwick_connections_refused_total",
            "Connections to CURVE channels refused or ended before their handshake completed.", m_connections_refused);
    auto gauge = [&text](const char* name, const char* help, uint64_t value) {
        text << "# HELP " << name << ' ' << help << "\n# TYPE " << name << " gauge\n" << name << ' ' << value << '\n';
    };
    if (m_mqtt) {
        gauge("tarnwick_mqtt_connected", "1 while the MQTT link is connected to its broker, else 0.",
              m_mqtt->connected ? 1 : 0);
        counter("tarnwick_mqtt_published_total", "Messages the MQTT broker took (acknowledged at QoS 1).",
                m_mqtt->published);
        gauge("tarnwick_mqtt_queued", "Messages held for the MQTT broker: waiting, or sent and not yet acknowledged.",
              m_mqtt->queued);
        counter("tarnwick_mqtt_dropped_total",
                "Messages dropped for the MQTT broker: the oldest beyond the queue limit, at QoS 0 also those "
                "unwritten when a connection broke.",
                m_mqtt->dropped);
        counter("tarnwick_mqtt_requests_received_total", "Requests received over MQTT.", m_mqtt->requests);
        counter("tarnwick_mqtt_reconnects_total", "Connections to the MQTT broker made again after one was lost.",
                m_mqtt->reconnects);
    }
    // A gauge an alert can compare with a bound: before the first arrival it grows
    // from the start, so an input that never saw traffic alerts too.
    auto quiet = [&](const char* name, const char* help, const std::optional<clock::time_point>& last) {
        text << "# HELP " << name << ' ' << help << "\n# TYPE " << name << " gauge\n"
             << name << ' ' << whole_seconds(now - last.value_or(m_started)) << '\n';
    };
    quiet("tarnwick_seconds_since_last_frame", "Seconds since a frame arrived on either binary input, or since start.",
          m_last_frame);
    quiet("tarnwick_seconds_since_last_request", "Seconds since a request arrived on the JSON input, or since start.",
          m_last_request);
    return text.str();
}

void write_file_atomically(const std::string& path, const std::string& content) {
    // The rename would replace whatever the path names: a folder, a device, a
    // fifo, a link. Only a regular file (or nothing yet) is written.
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        throw libs::core::exception("Cannot write " + path + ": not a regular file", CORE_CURRENT_LOCATION);
    std::string temporary;
    const int fd = create_temporary(path, temporary);
    if (fd < 0)
        throw libs::core::exception("Cannot create " + temporary + ": " + std::strerror(errno), CORE_CURRENT_LOCATION);
    const auto fail = [&temporary](const std::string& what, int error) {
        ::unlink(temporary.c_str());
        throw libs::core::exception(what + ": " + std::strerror(error), CORE_CURRENT_LOCATION);
    };
    for (std::size_t written = 0; written < content.size();) {
        const auto count = ::write(fd, content.data() + written, content.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            const int error = errno;
            ::close(fd);
            fail("Cannot write " + temporary, error);
        }
        written += static_cast<std::size_t>(count);
    }
    if (::close(fd) != 0)
        fail("Cannot write " + temporary, errno);
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        fail("Cannot rename " + temporary + " to " + path, errno);
}

}  // namespace orx
