#pragma once
// Calendar dates of the run and the experiment's day numbers.

namespace fieldgen {

inline constexpr int kMinutesPerDay = 1440;

struct CivilDate {
    int year = 2014;
    int month = 8;
    int day = 15;
};

/// Number of days of a month of the Gregorian calendar.
int daysInMonth(int year, int month);

/// The calendar day after `date`.
CivilDate nextDate(CivilDate date);

/// The 2014 day number: 1 August is 1, a September date day + 31, other months day + 61 (the
/// weather model's season counts from it; the files take the campaign's, Options::dayIndex).
int experimentDayIndex(CivilDate date);

/// The 2014 day numbers rise with the date only from 1 August to 31 October.
bool insideDayIndexRange(CivilDate date);

}  // namespace fieldgen
