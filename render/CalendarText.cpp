#include "CalendarText.h"

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

} // namespace

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
