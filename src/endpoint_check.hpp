#pragma once

#include "config.hpp"

#include <boost/optional.hpp>

#include <string>
#include <vector>

namespace orx {

// Why a ZeroMQ endpoint can never be opened, whatever the network and the peers
// do: it is empty, names no transport or one libzmq does not know, has nothing
// after the transport, or is a TCP address that does not parse (its port read
// as the socket code reads it, a free port only where the service `binds`).
// Nothing when the endpoint may work.
boost::optional<std::string> endpoint_problem(const std::string& endpoint, bool binds);

// One line per endpoint of the configuration that can never work, naming its
// channel: `binary.input: endpoint "bogus://x" cannot work: unknown transport "bogus"`.
std::vector<std::string> endpoint_problems(const config& configuration);

// One line per channel the service binds whose ipc endpoint another process
// listens on now: `binary.input: endpoint "ipc:///run/x" is in use by another process`.
std::vector<std::string> endpoints_in_use(const config& configuration);

}  // namespace orx
