#pragma once

#include "binary_message.hpp"

#include <core/logger.hpp>
#include <core/timestamp.hpp>

#include <boost/optional.hpp>
#include <boost/utility/string_view.hpp>

#include <cstdint>
#include <memory>
#include <string>

namespace orx {

// Validates a gateway message and cuts it into the gateway's time stamp and the
// node's data section. Stateless; every fault is raised as an exception.
class gateway_message_parser {
public:
    using string_view = boost::string_view;

    struct gateway_message {
        gateway_message(libs::core::timestamp timestamp, string_view data, std::unique_ptr<std::string> validated)
            : m_timestamp(timestamp), m_data(data), m_validated_message(std::move(validated)) {}
        gateway_message(gateway_message&&) = default;
        gateway_message& operator=(gateway_message&&) = default;
        gateway_message(const gateway_message&) = delete;
        gateway_message& operator=(const gateway_message&) = delete;

        libs::core::timestamp m_timestamp;
        string_view m_data;  // upper-case hex, a view into m_validated_message
        std::unique_ptr<std::string> m_validated_message;
    };

    struct timestamp_data {
        string_view m_timestamp;
        string_view m_rest;
    };

    struct data {
        string_view m_data;
        string_view m_rest;
    };

    explicit gateway_message_parser(libs::core::logger& logger) : m_logger(logger) {}

    // `buffer`, when given, holds the validated text instead of a new string: the
    // caller hands back the m_validated_message of an earlier result to reuse it.
    gateway_message parse(const binary_message& message, std::unique_ptr<std::string> buffer = nullptr) const;

    boost::optional<uint16_t> get_size(const string_view& _buffer) const;
    boost::optional<timestamp_data> get_timestamp(const string_view& buffer) const;
    boost::optional<data> get_data(const string_view& buffer) const;

private:
    libs::core::logger& m_logger;
};

}  // namespace orx
