#include "core_impl.hpp"

#include "events_loop_impl.hpp"

namespace orx::libs::core {

core::ptr core::create(const logger& root) { return std::make_unique<core_impl>(root); }

core_impl::core_impl(const logger& root) : m_logger(root.component("core")) {}

events_loop::ptr core_impl::create_events_loop(const std::string&) {
    return std::make_unique<events_loop_impl>(*this, *m_logger);
}

}  // namespace orx::libs::core
