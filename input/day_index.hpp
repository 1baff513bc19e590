#pragma once
// The day index of a date, as the case files, the logger files and the station
// files all number the days of a campaign.

#include <cstdint>

namespace field {

/// Days from 1 January 1970 to the date (proleptic Gregorian); any month and day give a
/// number (month 13 is January of the next year, day 0 the last day of the month before).
constexpr std::int64_t daysSinceEpoch(std::int64_t year, std::int64_t month, std::int64_t day) {
    // Months beyond 1..12 carry into the year first, so that the rule below sees 1..12.
    const std::int64_t m0 = month - 1;
    const std::int64_t carry = m0 >= 0 ? m0 / 12 : -((11 - m0) / 12);
    year += carry;
    month = m0 - carry * 12 + 1;
    // Days from civil: the year starts in March, so that the leap day ends it.
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

/// A calendar date.
struct CivilDate {
    std::int64_t year = 1970, month = 1, day = 1;
};

/// The date `days` after 1 January 1970 (proleptic Gregorian): daysSinceEpoch turned back.
constexpr CivilDate civilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    const std::int64_t month = shifted < 10 ? shifted + 3 : shifted - 9;
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

/// How a campaign numbers its days.
struct DayCalendar {
    // None: the 2014 rule (1 August is day 1, a September date its day + 31, a date of any
    // other month its day + 61, whatever the year). Else the campaign's first day is day 1.
    bool fromFirstDay = false;
    std::int64_t firstDay = 0;  // daysSinceEpoch of the first day

    /// The day index of a date. In 64 bits, so that no date that input can give overflows.
    constexpr std::int64_t dayIndex(std::int64_t year, std::int64_t month, std::int64_t dayOfMonth) const {
        if (!fromFirstDay) return month == 8 ? dayOfMonth : dayOfMonth + (month == 9 ? 31 : 61);
        return daysSinceEpoch(year, month, dayOfMonth) - firstDay + 1;
    }
};

/// The calendar whose day 1 is the given date.
constexpr DayCalendar calendarFrom(std::int64_t year, std::int64_t month, std::int64_t day) {
    return {true, daysSinceEpoch(year, month, day)};
}

}  // namespace field
