#include "mac.hpp"

#include "converter_utils.hpp"

#include <algorithm>
#include <locale>

namespace orx {

std::string shrink_mac(boost::string_view eui64) {
    const auto tail = eui64.substr(10, 6);
    std::string mac;
    mac.reserve(12);
    mac.append(eui64.data(), std::min<std::size_t>(eui64.size(), 6));
    mac.append(tail.data(), tail.size());
    return mac;
}

std::string extend_mac(boost::string_view mac) {
    std::string eui64;
    eui64.reserve(16);
    eui64.append(mac.data(), std::min<std::size_t>(mac.size(), 6));
    eui64 += "FFFE";
    if (mac.size() > 6) {
        const auto tail = mac.substr(6, 6);
        eui64.append(tail.data(), tail.size());
    }
    const std::locale locale;
    for (auto& c : eui64)
        c = std::toupper(c, locale);
    return eui64;
}

bool is_mac_text(boost::string_view mac) {
    return mac.size() == 12 && std::all_of(mac.begin(), mac.end(), [](char c) { return detail::hex_value(c) >= 0; });
}

}  // namespace orx
