#pragma once

#include "support/converters.hpp"

#include <string>

namespace orx::test {

// A 94-character heartbeat payload, one member per stretch of characters; the
// announce payload has the same layout with chars 8-11 and 70-73 unread.
struct node_payload {
    std::string code = "0104";
    std::string c4_7 = "0000";
    std::string c8_9 = "0A";
    std::string c10_11 = "02";
    std::string c12_13 = "05";
    std::string address = "0011223344556677";
    std::string c30_53 = std::string(24, '0');
    std::string x = "00000064";
    std::string y = "FFFFFF38";
    std::string c70_73 = "8000";
    std::string z = "FFFE";
    std::string tail = std::string(16, '0');

    std::string text() const {
        return code + c4_7 + c8_9 + c10_11 + c12_13 + address + c30_53 + x + y + c70_73 + z + tail;
    }
};

// The payload with one stretch replaced.
inline std::string with(std::string node_payload::*stretch, std::string value, node_payload base = {}) {
    base.*stretch = std::move(value);
    return base.text();
}

// A gateway frame around `payload` with a 6-byte time stamp of `seconds` and `milliseconds`
// (both given as hex text of 8 and 4 digits).
inline std::string gateway_frame(const std::string& seconds, const std::string& milliseconds,
                                 const std::string& payload) {
    static constexpr char digits[] = "0123456789ABCDEF";
    const auto size = payload.size() / 2;
    std::string frame = "0006" + seconds + milliseconds;
    for (int shift = 12; shift >= 0; shift -= 4)
        frame += digits[(size >> shift) & 0xF];
    return frame + payload;
}

}  // namespace orx::test
