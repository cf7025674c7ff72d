#pragma once

#include "config_parser/dictionary.hpp"
#include "value_impl.hpp"

#include <map>

namespace orx::libs::config {

class dictionary_impl : public dictionary {
public:
    boost::optional<const value&> get_value(const std::string& key) const override;
    std::vector<std::string> get_keys() const override;

    // Used while building; the first value for a key wins.
    void add_value(const std::string& key, value_impl value);

private:
    std::map<std::string, value_impl> m_data;
};

}  // namespace orx::libs::config
