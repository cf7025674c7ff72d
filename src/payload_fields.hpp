#pragma once

#include "converter_utils.hpp"
#include "mac.hpp"
#include "reused_document.hpp"

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

// Fills the "event" document of a node's own frame, kept by its converter: its
// time, its type, the MAC of the node address at byte 7. Returns its "data"
// object for the decoded fields. `type` must be a literal: the document refers to
// it without copying.
inline json& set_node_event(json& document, libs::core::timestamp ts, const char* type, boost::string_view payload) {
    set_time(document[keys::ts], ts);
    document[keys::type] = Json::StaticString(type);
    set_text(document[keys::mac], shrink_mac(payload.substr(bytes(7u))));
    return document[keys::data];
}

}  // namespace orx
