#include "tools/generator/calendar.hpp"

#include <array>
#include <cstddef>

#include "input/day_index.hpp"

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
    return static_cast<int>(field::DayCalendar{}.dayIndex(date.year, date.month, date.day));
}

bool insideDayIndexRange(CivilDate date) { return date.month >= 8 && date.month <= 10; }

}  // namespace fieldgen
