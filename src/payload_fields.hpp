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

// Keys of the uplink documents. Static keys are not copied into each document.
namespace keys {
const Json::StaticString ts("ts");
const Json::StaticString type("type");
const Json::StaticString mac("mac");
const Json::StaticString data("data");
const Json::StaticString hex("hex");
}  // namespace keys

// The time text every uplink document carries, e.g. 2023-11-14T22:13:20.123Z.
inline json document_time(libs::core::timestamp ts) {
    char text[libs::core::timestamp::iso_8601_capacity];
    return json(text, ts.write_iso_8601(text, true, 'T', true));
}

// A string value over `text`, copied once.
inline json text_value(boost::string_view text) { return json(text.data(), text.data() + text.size()); }

// The "event" document of a node's own frame: its time, its type, the MAC of the
// node address at byte 7 and the decoded fields. `type` must be a literal: the
// document refers to it without copying.
inline json node_event(libs::core::timestamp ts, const char* type, boost::string_view payload, json fields) {
    json document;
    document[keys::ts] = document_time(ts);
    document[keys::type] = Json::StaticString(type);
    document[keys::mac] = shrink_mac(payload.substr(bytes(7u)));
    document[keys::data] = std::move(fields);
    return document;
}

}  // namespace orx
