#include "core/zmq/tcp_port.hpp"

namespace orx::libs::core::zmq {

namespace {

bool parse_number(boost::string_view text, int lowest, int& port) {
    if (text.empty() || text.size() > 5)
        return false;
    port = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        port = port * 10 + (c - '0');
    }
    return port >= lowest && port <= 0xFFFF;
}

}  // namespace

boost::optional<boost::string_view> tcp_port_field(boost::string_view endpoint) {
    static const boost::string_view tcp = "tcp://";
    if (!endpoint.starts_with(tcp))
        return boost::none;
    const auto colon = endpoint.rfind(':');
    if (colon == boost::string_view::npos || colon < tcp.size())
        return boost::none;
    return endpoint.substr(colon + 1);
}

boost::optional<tcp_port> parse_tcp_port(boost::string_view field) {
    tcp_port port;
    if (field == "*")
        return port;
    char mode = 0;
    if (!field.empty() && (field.front() == '*' || field.front() == '!')) {
        mode = field.front();
        field.remove_prefix(1);
    }
    if (mode == 0 && !field.empty() && field.front() != '[') {
        int number = 0;
        if (!parse_number(field, 0, number))
            return boost::none;
        port.first = port.last = number;
        return port;
    }
    port.free_port = true;
    port.random = mode == '!';
    if (field.empty())
        return mode == '!' ? boost::make_optional(port) : boost::none;
    const auto dash = field.find('-');
    if (field.size() < 3 || field.front() != '[' || field.back() != ']' || dash == boost::string_view::npos)
        return boost::none;
    const auto first = field.substr(1, dash - 1);
    const auto last = field.substr(dash + 1, field.size() - dash - 2);
    if ((!first.empty() && !parse_number(first, 1, port.first)) ||
        (!last.empty() && !parse_number(last, 1, port.last)) || port.first > port.last)
        return boost::none;
    return port;
}

}  // namespace orx::libs::core::zmq
