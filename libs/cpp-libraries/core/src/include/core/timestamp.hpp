#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace orx::libs::core {

// A wall-clock instant with millisecond resolution (milliseconds since the Unix epoch, UTC).
class timestamp {
public:
    using duration = std::chrono::milliseconds;
    using time_point = std::chrono::time_point<std::chrono::system_clock, duration>;

    timestamp() = default;
    explicit timestamp(int64_t milliseconds) : m_time_point(duration(milliseconds)) {}
    explicit timestamp(time_point point) : m_time_point(point) {}

    static timestamp current_time();

    int64_t get_time_since_epoch() const { return m_time_point.time_since_epoch().count(); }

    // "%Y-%m-%d %H:%M:%S" in UTC, the blank replaced by the delimiter, optionally
    // ".mmm" and "Z". Instants before the epoch are not supported.
    std::string to_iso_8601(bool _with_milleseconds, char _delimiter, bool _with_Z) const;

    // The same text written into `out`, which has room for iso_8601_capacity
    // characters; returns the end of the text. Spares the string on hot paths.
    static constexpr std::size_t iso_8601_capacity = 32;
    char* write_iso_8601(char* out, bool _with_milleseconds, char _delimiter, bool _with_Z) const;

    friend bool operator==(const timestamp& a, const timestamp& b) { return a.m_time_point == b.m_time_point; }
    friend bool operator!=(const timestamp& a, const timestamp& b) { return a.m_time_point != b.m_time_point; }
    friend bool operator<(const timestamp& a, const timestamp& b) { return a.m_time_point < b.m_time_point; }
    friend bool operator>(const timestamp& a, const timestamp& b) { return a.m_time_point > b.m_time_point; }
    friend bool operator<=(const timestamp& a, const timestamp& b) { return a.m_time_point <= b.m_time_point; }
    friend bool operator>=(const timestamp& a, const timestamp& b) { return a.m_time_point >= b.m_time_point; }
    friend timestamp operator+(const timestamp& t, duration d) { return timestamp(t.m_time_point + d); }
    friend timestamp operator-(const timestamp& t, duration d) { return timestamp(t.m_time_point - d); }
    friend duration operator-(const timestamp& a, const timestamp& b) { return a.m_time_point - b.m_time_point; }
    timestamp& operator+=(duration d) {
        m_time_point += d;
        return *this;
    }
    timestamp& operator-=(duration d) {
        m_time_point -= d;
        return *this;
    }

private:
    time_point m_time_point{};
};

}  // namespace orx::libs::core
