#pragma once
// The generator's number, date and clock texts. The hot-path writers append into a caller's
// buffer (no allocation, no locale); values are printed from integers rounded with llround, so
// the text is the same on every platform.

#include <string>

#include "tools/generator/calendar.hpp"

namespace fieldgen {

/// Writes an integer in plain decimal and returns the end; `out` must have 24 bytes of room.
char* appendInteger(char* out, long long value);

/// Writes `value` rounded half away from zero to `decimals` (0 to 4) decimals, "-" only when the
/// rounded value is negative; returns the end.
char* appendFixed(char* out, double value, int decimals);

/// Writes two decimal digits of 0..99.
char* appendTwoDigits(char* out, int value);

/// `value` formatted by appendFixed, as a string (for the small files).
std::string fixedText(double value, int decimals);

/// Date as M/D/YYYY, the form of the measurement-result and station files.
std::string slashDateText(CivilDate date);

/// Date as YYYY_MM_DD: names that sort in time order, by ASCII with or without case folding.
std::string sortableDateText(CivilDate date);

/// Minute of day as the four characters HHMM.
std::string clockText(int minuteOfDay);

/// Minute of day on the 12-hour clock with a letter, e.g. "12:00 a" (midnight), "1:05 p".
std::string twelveHourText(int minuteOfDay);

}  // namespace fieldgen
