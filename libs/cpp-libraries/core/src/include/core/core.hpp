#pragma once

#include "core/events_loop.hpp"
#include "core/logger.hpp"

#include <memory>
#include <string>

namespace orx::libs::core {

// Makes events loops; every loop logs through the core's "core" component logger.
class core {
public:
    using ptr = std::unique_ptr<core>;

    virtual ~core() = default;
    virtual events_loop::ptr create_events_loop(const std::string& name) = 0;

    static ptr create(const logger& root);
};

}  // namespace orx::libs::core
