#pragma once

#include <boost/optional.hpp>
#include <boost/utility/string_view.hpp>

#include <cstddef>

namespace orx::libs::core {

// Specialise for each enumeration read from text: `names` lists the lower-case
// texts of the enumerators 0 .. _count - 1, in value order.
template <typename T>
struct enum_texts;

// The enumerator whose text equals `text` exactly, or nothing.
template <typename T>
boost::optional<T> enum_from_string(boost::string_view text) {
    constexpr auto count = static_cast<std::size_t>(T::_count);
    for (std::size_t i = 0; i < count; ++i)
        if (text == enum_texts<T>::names[i])
            return static_cast<T>(i);
    return boost::none;
}

}  // namespace orx::libs::core
