#include "config_parser/config.hpp"

#include <boost/algorithm/string/join.hpp>
#include <boost/type_index.hpp>

#include <functional>

namespace orx::libs::config {

namespace {

template <typename T>
std::string type_name() {
    if constexpr (std::is_same_v<T, std::string>)
        return "string";
    else
        return boost::typeindex::type_id<T>().pretty_name();
}

// The object that holds the path's last key: every key before it must name an
// object, the first failing one is reported with the keys walked so far.
result<std::reference_wrapper<const dictionary>> find_parent(const dictionary& root,
                                                             std::initializer_list<std::string> path,
                                                             const std::string& dotted_path) {
    std::reference_wrapper<const dictionary> current = root;
    std::string walked;
    for (auto key = path.begin(); key + 1 < path.end(); ++key) {
        walked += (key == path.begin() ? "" : ".") + *key;
        const auto member = current.get().get_value(*key);
        const auto object = member ? member->as_object() : boost::none;
        if (!object)
            return error_reason{"Can not find object <object>: " + walked + ", path: " + dotted_path};
        current = *object;
    }
    return current;
}

}  // namespace

template <typename T>
result<T> config::get_by_path(std::initializer_list<std::string> path) const {
    const std::string dotted_path = boost::algorithm::join(path, ".");
    const auto parent = find_parent(get_root(), path, dotted_path);
    if (!parent.ok())
        return error_reason{parent.reason()};
    if (path.size() > 0) {
        if (auto found = parent.value().get().get<T>(*(path.end() - 1)))
            return std::move(*found);
    }
    return error_reason{"Can not find field <" + type_name<T>() + ">: " + dotted_path};
}

template result<std::string> config::get_by_path<std::string>(std::initializer_list<std::string>) const;
template result<bool> config::get_by_path<bool>(std::initializer_list<std::string>) const;

}  // namespace orx::libs::config
