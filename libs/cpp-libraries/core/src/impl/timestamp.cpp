#include "core/timestamp.hpp"

#include <ctime>

namespace orx::libs::core {

namespace {

// Civil date from days since the epoch (proleptic Gregorian calendar); avoids
// gmtime_r and strftime on the hot path of every document.
void civil_from_days(int64_t days, int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
}

char* put_digits(char* out, uint64_t value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + width;
}

}  // namespace

timestamp timestamp::current_time() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return timestamp(static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000);
}

std::string timestamp::to_iso_8601(bool _with_milleseconds, char _delimiter, bool _with_Z) const {
    char buffer[iso_8601_capacity];
    return std::string(buffer, write_iso_8601(buffer, _with_milleseconds, _delimiter, _with_Z));
}

char* timestamp::write_iso_8601(char* out, bool _with_milleseconds, char _delimiter, bool _with_Z) const {
    const int64_t ms = get_time_since_epoch();
    const int64_t seconds = ms / 1000;
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    int64_t year = 0;
    unsigned month = 0, day = 0;
    civil_from_days(days, year, month, day);

    out = put_digits(out, static_cast<uint64_t>(year), year > 9999 ? 5 : 4);
    *out++ = '-';
    out = put_digits(out, month, 2);
    *out++ = '-';
    out = put_digits(out, day, 2);
    *out++ = _delimiter;
    out = put_digits(out, static_cast<uint64_t>(rest / 3600), 2);
    *out++ = ':';
    out = put_digits(out, static_cast<uint64_t>(rest / 60 % 60), 2);
    *out++ = ':';
    out = put_digits(out, static_cast<uint64_t>(rest % 60), 2);
    if (_with_milleseconds) {
        *out++ = '.';
        out = put_digits(out, static_cast<uint64_t>(((ms % 1000) + 1000) % 1000), 3);
    }
    if (_with_Z)
        *out++ = 'Z';
    return out;
}

}  // namespace orx::libs::core
