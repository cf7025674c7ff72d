#include "reused_document.hpp"

#include <cstring>

namespace orx {

void set_text(json& slot, boost::string_view text) {
    const char* begin = nullptr;
    const char* end = nullptr;
    // The slot's characters were copied by jsoncpp into storage of its own, which
    // a text of the same length can take over without a new allocation.
    if (slot.isString() && slot.getString(&begin, &end) && static_cast<std::size_t>(end - begin) == text.size()) {
        if (!text.empty())
            std::memcpy(const_cast<char*>(begin), text.data(), text.size());
        return;
    }
    slot = json(text.data(), text.data() + text.size());
}

void set_time(json& slot, libs::core::timestamp ts) {
    char text[libs::core::timestamp::iso_8601_capacity];
    const char* end = ts.write_iso_8601(text, true, 'T', true);
    set_text(slot, boost::string_view(text, static_cast<std::size_t>(end - text)));
}

}  // namespace orx
