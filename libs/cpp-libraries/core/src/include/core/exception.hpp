#pragma once

#include "core/source_location.hpp"

#include <exception>
#include <ostream>
#include <string>

namespace orx::libs::core {

// Base of every exception that knows where it was raised.
class located_exception : public std::exception {
public:
    explicit located_exception(source_location location) : m_source_location(location) {}
    located_exception(const located_exception& other)
        : std::exception(other), m_source_location(other.m_source_location) {}
    located_exception(located_exception&& other) noexcept
        : std::exception(other), m_source_location(other.m_source_location) {}

    ~located_exception() override = default;
    const char* what() const noexcept override;
    virtual std::ostream& describe(std::ostream& stream) const;

    const source_location& get_source_location() const { return m_source_location; }

private:
    source_location m_source_location;
    mutable std::string m_what;
};

// A domain failure: a text and the place it was raised.
class exception : public located_exception {
public:
    exception(std::string error, source_location location)
        : located_exception(location), m_str_error(std::move(error)) {}

    std::ostream& describe(std::ostream& stream) const override;
    const std::string& error() const { return m_str_error; }

private:
    std::string m_str_error;
};

// A failed precondition; its text is "check failed: " and the condition as written.
class check_failed_exception : public exception {
public:
    check_failed_exception(std::string condition, source_location location)
        : exception("check failed: " + condition, location) {}
};

// The text of the exception being handled; call only inside a catch block.
std::string exception_to_string();
std::string exception_to_string(const located_exception& e);

}  // namespace orx::libs::core

#define CORE_CHECK(condition)                                                                   \
    do {                                                                                        \
        if (!(condition))                                                                       \
            throw ::orx::libs::core::check_failed_exception(#condition, CORE_CURRENT_LOCATION); \
    } while (false)
