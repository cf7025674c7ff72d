#include "endpoint_check.hpp"

#include <core/zmq/ipc_endpoint.hpp>
#include <core/zmq/tcp_port.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include <arpa/inet.h>

namespace orx {

namespace {

// The transports libzmq knows; whether this build supports one is its own
// matter, reported when the socket is opened.
constexpr std::array<const char*, 11> transports{"tcp",  "ipc",  "inproc", "pgm", "epgm", "tipc",
                                                 "vmci", "norm", "ws",     "wss", "udp"};

bool only(const std::string& text, int (*is)(int)) {
    return std::all_of(text.begin(), text.end(), [is](char c) { return is(static_cast<unsigned char>(c)) != 0; });
}

int is_name_character(int c) { return std::isalnum(c) || c == '-' || c == '.' || c == '_'; }
int is_numeric_character(int c) { return std::isdigit(c) || c == '.'; }

bool is_ipv4(const std::string& host) {
    in_addr address{};
    return ::inet_pton(AF_INET, host.c_str(), &address) == 1;
}

bool is_ipv6(std::string host) {
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    // A zone ("%eth0") follows a link-local address.
    host = host.substr(0, host.find('%'));
    in6_addr address{};
    return ::inet_pton(AF_INET6, host.c_str(), &address) == 1;
}

// "*", an IPv4 or IPv6 address, or a host or interface name.
boost::optional<std::string> host_problem(const std::string& host) {
    if (host == "*" || is_ipv4(host) || is_ipv6(host))
        return boost::none;
    // A name is never all digits and dots: such a host is a malformed address.
    if (host.empty() || !only(host, is_name_character) || only(host, is_numeric_character))
        return "\"" + host + "\" is neither an address nor a host name";
    return boost::none;
}

// "host:port", the port in one of the forms the socket code reads; a free port
// only for an endpoint the service binds.
boost::optional<std::string> tcp_problem(const std::string& address, bool binds) {
    const auto colon = address.rfind(':');
    if (colon == std::string::npos)
        return std::string("no port");
    const std::string field = address.substr(colon + 1);
    const auto port = libs::core::zmq::parse_tcp_port(field);
    if (!port && binds)
        return "port \"" + field + "\" is not a number from 0 to 65535, \"*\", \"!\" or a range \"[first-last]\"";
    if (!port || (port->free_port && !binds))
        return "port \"" + field + "\" is not a number from 0 to 65535";
    return host_problem(address.substr(0, colon));
}

}  // namespace

boost::optional<std::string> endpoint_problem(const std::string& endpoint, bool binds) {
    if (endpoint.empty())
        return std::string("the endpoint is empty");
    const auto separator = endpoint.find("://");
    if (separator == std::string::npos)
        return std::string("no transport (transport://address)");
    const std::string transport = endpoint.substr(0, separator);
    if (std::find(transports.begin(), transports.end(), transport) == transports.end())
        return "unknown transport \"" + transport + "\"";
    const std::string address = endpoint.substr(separator + 3);
    if (address.empty())
        return std::string("no address");
    if (transport != "tcp")
        return boost::none;
    // A connecting TCP endpoint may name the local address first: "source;peer".
    const auto semicolon = address.find(';');
    if (semicolon != std::string::npos) {
        // The local address may leave its port out.
        const std::string source = address.substr(0, semicolon);
        if (host_problem(source) && tcp_problem(source, false))
            return tcp_problem(source, false);
        return tcp_problem(address.substr(semicolon + 1), binds);
    }
    return tcp_problem(address, binds);
}

std::vector<std::string> endpoint_problems(const config& configuration) {
    struct channel {
        const char* name;
        const std::string& endpoint;
        bool binds;
    };
    const channel channels[] = {{"system.debug_port", configuration.system.debug_port, false},
                                {"binary.input", configuration.binary.input, true},
                                {"binary.tmp_input", configuration.binary.tmp_input, true},
                                {"binary.output", configuration.binary.output, true},
                                {"binary.tmp_output", configuration.binary.tmp_output, false},
                                {"json.input", configuration.json.input, true},
                                {"json.output", configuration.json.output, true}};
    std::vector<std::string> problems;
    for (const auto& c : channels)
        if (const auto problem = endpoint_problem(c.endpoint, c.binds))
            problems.push_back(std::string(c.name) + ": endpoint \"" + c.endpoint + "\" cannot work: " + *problem);
    return problems;
}

std::vector<std::string> endpoints_in_use(const config& configuration) {
    const std::pair<const char*, const std::string&> bound[] = {{"binary.input", configuration.binary.input},
                                                                {"binary.tmp_input", configuration.binary.tmp_input},
                                                                {"binary.output", configuration.binary.output},
                                                                {"json.input", configuration.json.input},
                                                                {"json.output", configuration.json.output}};
    std::vector<std::string> problems;
    for (const auto& channel : bound)
        if (libs::core::zmq::ipc_endpoint_in_use(channel.second))
            problems.push_back(std::string(channel.first) + ": endpoint \"" + channel.second +
                               "\" is in use by another process");
    return problems;
}

}  // namespace orx
