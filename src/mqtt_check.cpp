#include "mqtt_check.hpp"

#include <core/exception.hpp>

#include <mosquitto.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orx {

namespace {

// Password files hold one line; anything much larger is not one.
constexpr std::size_t max_password_file = 64 * 1024;

[[noreturn]] void fail(const std::string& key, const std::string& path, const std::string& reason) {
    throw libs::core::exception("mqtt." + key + ": " + path + " " + reason, CORE_CURRENT_LOCATION);
}

// Opens the file for reading and checks it is a regular file, closed to group and
// others when `secret`. Never blocks: a fifo is refused before anything is read.
int open_checked(const std::string& key, const std::string& path, bool secret) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        fail(key, path, std::string("cannot be opened: ") + std::strerror(errno));
    struct stat status {};
    const bool examined = ::fstat(fd, &status) == 0;
    if (!examined || !S_ISREG(status.st_mode)) {
        ::close(fd);
        fail(key, path, "is not a regular file");
    }
    if (secret && (status.st_mode & 077) != 0) {
        ::close(fd);
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
        fail(key, path,
             std::string("is open to group or others (mode ") + mode +
                 "); it must be readable by its owner only (0600)");
    }
    return fd;
}

void check_file(std::vector<std::string>& problems, const std::string& key, const boost::optional<std::string>& path,
                bool secret) {
    if (!path)
        return;
    try {
        ::close(open_checked(key, *path, secret));
    } catch (const libs::core::exception& e) {
        problems.push_back(e.error());
    }
}

bool parse_port(const std::string& text, int& port) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    port = std::stoi(text);
    return port >= 1 && port <= 0xFFFF;
}

}  // namespace

boost::optional<broker_address> parse_broker_url(const std::string& url) {
    broker_address address;
    std::string rest;
    if (url.rfind("mqtt://", 0) == 0) {
        rest = url.substr(7);
        address.port = 1883;
    } else if (url.rfind("mqtts://", 0) == 0) {
        rest = url.substr(8);
        address.tls = true;
        address.port = 8883;
    } else {
        return boost::none;
    }
    std::string port;
    if (!rest.empty() && rest.front() == '[') {
        const auto closing = rest.find(']');
        if (closing == std::string::npos)
            return boost::none;
        address.host = rest.substr(1, closing - 1);
        rest = rest.substr(closing + 1);
        if (!rest.empty() && rest.front() != ':')
            return boost::none;
        if (!rest.empty())
            port = rest.substr(1);
        if (rest == ":")
            return boost::none;
    } else {
        const auto colon = rest.find(':');
        address.host = rest.substr(0, colon);
        if (colon != std::string::npos && (port = rest.substr(colon + 1)).empty())
            return boost::none;
    }
    if (address.host.empty() || address.host.find_first_of("/?#@ ") != std::string::npos)
        return boost::none;
    if (!port.empty() && !parse_port(port, address.port))
        return boost::none;
    return address;
}

std::vector<std::string> mqtt_problems(const config::mqtt_group& group) {
    std::vector<std::string> problems;
    const auto address = parse_broker_url(group.broker);
    if (!address)
        problems.push_back("mqtt.broker: \"" + group.broker +
                           "\" is not a broker URL (mqtt://host:port or mqtts://host:port)");
    if (group.client_id.empty() ||
        mosquitto_validate_utf8(group.client_id.c_str(), static_cast<int>(group.client_id.size())) != 0)
        problems.push_back("mqtt.client_id: \"" + group.client_id + "\" is not a client id");
    // The prefix is the first levels of every topic published and subscribed to.
    if (group.topic_prefix.empty() || group.topic_prefix.back() == '/' ||
        mosquitto_pub_topic_check((group.topic_prefix + "/request").c_str()) != MOSQ_ERR_SUCCESS)
        problems.push_back("mqtt.topic_prefix: \"" + group.topic_prefix +
                           "\" is not a topic prefix (no wildcards, no trailing '/')");
    if (group.password_file && !group.username)
        problems.push_back("mqtt.password_file: given without mqtt.username");
    if (static_cast<bool>(group.cert_file) != static_cast<bool>(group.key_file))
        problems.push_back("mqtt.cert_file and mqtt.key_file: both or neither");
    if (address && !address->tls && (group.ca_file || group.cert_file || group.key_file))
        problems.push_back("mqtt.broker: TLS files given for the plain broker \"" + group.broker +
                           "\" (mqtts:// uses them)");
    check_file(problems, "password_file", group.password_file, true);
    check_file(problems, "ca_file", group.ca_file, false);
    check_file(problems, "cert_file", group.cert_file, false);
    check_file(problems, "key_file", group.key_file, true);
    return problems;
}

std::string read_mqtt_password(const std::string& path) {
    const int fd = open_checked("password_file", path, true);
    std::string text;
    char buffer[4096];
    for (;;) {
        const auto count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0 || text.size() > max_password_file) {
            const int error = errno;
            ::close(fd);
            if (count < 0)
                fail("password_file", path, std::string("cannot be read: ") + std::strerror(error));
            if (text.size() > max_password_file)
                fail("password_file", path, "is too large for a password file");
            break;
        }
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace orx
