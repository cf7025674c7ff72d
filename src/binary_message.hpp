#pragma once

#include <boost/utility/string_view.hpp>

namespace orx {

// One hex-encoded gateway message, uplink or downlink; the text is not owned.
struct binary_message {
    boost::string_view m_hex;
};

}  // namespace orx
