#pragma once

namespace orx::libs::core {

// Base of classes that may be moved but never copied.
class only_movable {
public:
    only_movable() = default;
    only_movable(only_movable&&) = default;
    only_movable& operator=(only_movable&&) = default;
    only_movable(const only_movable&) = delete;
    only_movable& operator=(const only_movable&) = delete;

protected:
    ~only_movable() = default;
};

}  // namespace orx::libs::core
