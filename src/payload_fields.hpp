#pragma once

#include "converter_utils.hpp"
#include "obsolete_converter.hpp"

#include <core/timestamp.hpp>

#include <boost/utility/string_view.hpp>

#include <cstddef>
#include <string>
#include <utility>

namespace orx {

// The field of type T that starts at byte `offset` of a node payload. A character
// that is not a hex digit raises the optional-access error and so ends the
// conversion before anything is emitted.
template <typename T>
T read_field(boost::string_view payload, std::size_t offset) {
    return parse_number<T>(payload.substr(bytes(offset))).value();
}

// The time text every uplink document carries, e.g. 2023-11-14T22:13:20.123Z.
inline std::string document_time(libs::core::timestamp ts) {
    return ts.to_iso_8601(true, 'T', true);
}

// The "event" document of a node's own frame: its time, its type, the MAC of the
// node address at byte 7 and the decoded fields.
inline json node_event(libs::core::timestamp ts, const char* type, boost::string_view payload, json fields) {
    json document;
    document["ts"] = document_time(ts);
    document["type"] = type;
    document["mac"] = shrink_mac(payload.substr(bytes(7u)));
    document["data"] = std::move(fields);
    return document;
}

}  // namespace orx
