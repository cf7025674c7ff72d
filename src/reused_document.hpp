#pragma once

#include "converter_utils.hpp"

#include <core/timestamp.hpp>

#include <boost/utility/string_view.hpp>

namespace orx {

// Converters keep each uplink document from one frame to the next and overwrite
// its members: a member that exists already costs no allocation, and a text as
// wide as before (time stamps, MAC texts, frames of one kind) is written into the
// storage it has. The published text is the same as of a document built anew.

// Sets `slot` to a copy of `text`. Only for slots that these functions fill: the
// characters of a static string must never be handed to it.
void set_text(json& slot, boost::string_view text);

// The time text every uplink document carries, e.g. 2023-11-14T22:13:20.123Z.
void set_time(json& slot, libs::core::timestamp ts);

}  // namespace orx
