#pragma once

// What every fuzz target shares: a logger that writes nowhere, the bundled
// parameter registry and an output that renders every document it is given.

#include "parameter_config/config.hpp"
#include "processed_messages_handler.hpp"

#include <core/json.hpp>
#include <core/logger.hpp>
#include <core/system_log.hpp>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

namespace orx::fuzz {

// Millions of rejected inputs must not reach the machine's log.
inline libs::core::logger& silent_logger() {
    static libs::core::logger logger("tarnwick", "fuzz", libs::core::system_log::create_silent());
    return logger;
}

// The registry loaded from the bundled etc/parameters.json, once per process.
inline parameters::config& bundled_parameters() {
    static const std::unique_ptr<parameters::config> registry = [] {
        std::ifstream file(std::string(TARNWICK_SOURCE_DIR) + "/etc/parameters.json");
        if (!file)
            throw std::runtime_error("etc/parameters.json not found");
        return std::make_unique<parameters::config>(silent_logger(), file);
    }();
    return *registry;
}

// Renders every document and downlink message, as the service does before it
// sends them, so that values the converters build are read back whole.
struct rendering_handler : processed_messages_handler {
    void on_message(const binary_message& message) override {
        m_last.assign(message.m_hex.data(), message.m_hex.size());
        ++m_messages;
    }
    void on_message(boost::string_view topic, const Json::Value& document) override {
        m_last.assign(topic.data(), topic.size());
        libs::core::json::append_to_string(document, m_last);
        ++m_messages;
    }
    std::string m_last;
    std::size_t m_messages = 0;
};

inline std::string as_text(const uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

}  // namespace orx::fuzz
