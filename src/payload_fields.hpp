#pragma once

#include "converter_utils.hpp"

#include <core/timestamp.hpp>

#include <boost/utility/string_view.hpp>

#include <cstddef>
#include <string>

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

}  // namespace orx
