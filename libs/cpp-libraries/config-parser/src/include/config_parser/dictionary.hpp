#pragma once

#include "config_parser/value.hpp"

#include <boost/optional.hpp>

#include <string>
#include <type_traits>
#include <vector>

namespace orx::libs::config {

// One JSON object: its members by key.
class dictionary {
public:
    virtual ~dictionary() = default;

    // The member whose key matches exactly (case-sensitive); nothing when absent.
    virtual boost::optional<const value&> get_value(const std::string& key) const = 0;
    // Every key, in ascending byte order.
    virtual std::vector<std::string> get_keys() const = 0;

    // The member converted strictly to T (bool, int, double or std::string);
    // nothing when the key is absent or holds another kind.
    template <typename T>
    boost::optional<T> get(const std::string& key) const {
        const auto member = get_value(key);
        if (!member)
            return boost::none;
        if constexpr (std::is_same_v<T, bool>)
            return member->as_bool();
        else if constexpr (std::is_same_v<T, int>)
            return member->as_int();
        else if constexpr (std::is_same_v<T, double>)
            return member->as_double();
        else {
            static_assert(std::is_same_v<T, std::string>, "get<T> reads bool, int, double or std::string");
            return member->as_string();
        }
    }
};

}  // namespace orx::libs::config
