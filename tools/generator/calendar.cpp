#include "tools/generator/calendar.hpp"

#include <array>
#include <cstddef>

namespace fieldgen {

int daysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

CivilDate nextDate(CivilDate date) {
    if (++date.day > daysInMonth(date.year, date.month)) {
        date.day = 1;
        if (++date.month > 12) {
            date.month = 1;
            ++date.year;
        }
    }
    return date;
}

int experimentDayIndex(CivilDate date) {
    if (date.month == 8) return date.day;
    if (date.month == 9) return date.day + 31;
    return date.day + 61;
}

bool insideDayIndexRange(CivilDate date) { return date.month >= 8 && date.month <= 10; }

}  // namespace fieldgen
