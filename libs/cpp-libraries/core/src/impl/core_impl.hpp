#pragma once

#include "core/core.hpp"

namespace orx::libs::core {

class core_impl final : public core {
public:
    explicit core_impl(const logger& root);
    events_loop::ptr create_events_loop(const std::string& name) override;

private:
    component_logger::ptr m_logger;
};

}  // namespace orx::libs::core
