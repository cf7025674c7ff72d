#pragma once

#include "config_parser/dictionary.hpp"
#include "config_parser/result.hpp"

#include <initializer_list>
#include <istream>
#include <memory>
#include <string>

namespace orx::libs::config {

enum class type { json = 0 };

// A parsed configuration document: a read-only tree built once, at creation.
// References into the tree stay valid as long as the document lives.
class config {
public:
    using ptr = std::unique_ptr<config>;

    virtual ~config() = default;
    virtual const dictionary& get_root() const = 0;

    // Reads the whole stream; throws std::runtime_error "Cannot parse json: ..."
    // on a syntax error.
    template <type T>
    static ptr create(std::istream& stream);

    // The value at a path of keys, every key but the last naming an object, for
    // T std::string or bool. A failure tells which object or field is missing
    // or of the wrong kind.
    template <typename T>
    result<T> get_by_path(std::initializer_list<std::string> path) const;
};

template <>
config::ptr config::create<type::json>(std::istream& stream);

extern template result<std::string> config::get_by_path<std::string>(std::initializer_list<std::string>) const;
extern template result<bool> config::get_by_path<bool>(std::initializer_list<std::string>) const;

}  // namespace orx::libs::config
