#pragma once

#include <boost/optional.hpp>
#include <boost/utility/string_view.hpp>

namespace orx::libs::core::zmq {

// The port field of a "tcp://" endpoint, after the address's last ':'. libzmq's
// own forms are a number from 0 to 65535 and "*"; a socket that binds also takes
// "!" (a random free port of 49152 to 65535) and "*", "!" or nothing followed by
// "[first-last]" (a free port of that range, in order or at random; either bound
// may be left out, 49152 and 65535 then).
struct tcp_port {
    // libzmq's own forms go to it as they stand; a free port is the binding's.
    bool free_port = false;
    int first = 49152;
    int last = 65535;
    bool random = false;
};

// The port field of a "tcp://" endpoint, or nothing for another transport or
// an address without ':'.
boost::optional<boost::string_view> tcp_port_field(boost::string_view endpoint);

// Nothing when the field has none of the forms above.
boost::optional<tcp_port> parse_tcp_port(boost::string_view field);

}  // namespace orx::libs::core::zmq
