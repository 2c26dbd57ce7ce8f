#include "CalendarText.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr const char* kWeekdays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct CivilDate {
    std::int64_t year;
    int month; // 1..12
    int day;   // 1..31
};

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Days since 1970-01-01 to a proleptic Gregorian date, counted in 400-year eras
// that start on 1 March so that the leap day falls at the end of each year.
CivilDate civilFromDays(std::int64_t days) {
    days += 719468; // 0000-03-01 to 1970-01-01
    const std::int64_t era = floorDiv(days, 146097);
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153; // 0 = March
    const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day};
}

// Days since 1970-01-01 of a proleptic Gregorian date: civilFromDays turned round.
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = floorDiv(year, 400);
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

} // namespace

std::optional<std::uint32_t> calendarSeconds(std::string_view text) {
    if (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    char weekday[4] = {}, month[4] = {};
    int day = 0, hour = 0, minute = 0, second = 0, consumed = 0;
    long long year = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%3s %3s %2d %2d:%2d:%2d %lld%n", weekday, month, &day, &hour,
                    &minute, &second, &year, &consumed) != 7 ||
        consumed != static_cast<int>(copy.size()))
        return std::nullopt;
    int monthNumber = 0;
    for (int m = 0; m < 12; ++m) {
        if (std::string_view(kMonths[m]) == month)
            monthNumber = m + 1;
    }
    if (monthNumber == 0 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59 ||
        hour < 0 || minute < 0 || second < 0)
        return std::nullopt;
    const std::int64_t seconds =
        daysFromCivil(year, monthNumber, day) * 86400 + hour * 3600 + minute * 60 + second;
    if (seconds < INT32_MIN || seconds > INT32_MAX)
        return std::nullopt;
    const auto value = static_cast<std::uint32_t>(static_cast<std::int32_t>(seconds));
    // Only a text calendarText() would write names a value: the weekday and day must agree.
    if (calendarText(value) != copy + "\n")
        return std::nullopt;
    return value;
}

std::string calendarText(std::uint32_t seconds) {
    const std::int64_t signedSeconds = static_cast<std::int32_t>(seconds);
    const std::int64_t days = floorDiv(signedSeconds, 86400);
    const std::int64_t secondOfDay = signedSeconds - days * 86400;
    const CivilDate date = civilFromDays(days);
    const int weekday = static_cast<int>(((days % 7) + 7 + 4) % 7); // 1970-01-01 was a Thursday

    char text[64];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %04lld\n", kWeekdays[weekday],
                  kMonths[date.month - 1], date.day, static_cast<int>(secondOfDay / 3600),
                  static_cast<int>(secondOfDay / 60 % 60), static_cast<int>(secondOfDay % 60),
                  static_cast<long long>(date.year));
    return text;
}
