#include "tools/generator/text_format.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>

namespace fieldgen {

char* appendInteger(char* out, long long value) { return std::to_chars(out, out + 24, value).ptr; }

char* appendFixed(char* out, double value, int decimals) {
    static constexpr std::array<long long, 5> kScale{1, 10, 100, 1000, 10000};
    const long long scale = kScale[static_cast<std::size_t>(decimals)];
    long long scaled = std::llround(value * static_cast<double>(scale));
    if (scaled < 0) {
        *out++ = '-';
        scaled = -scaled;
    }
    out = appendInteger(out, scaled / scale);
    if (decimals > 0) {
        *out++ = '.';
        long long fraction = scaled % scale;
        for (int i = decimals - 1; i >= 0; --i) {
            out[i] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        out += decimals;
    }
    return out;
}

char* appendTwoDigits(char* out, int value) {
    out[0] = static_cast<char>('0' + value / 10);
    out[1] = static_cast<char>('0' + value % 10);
    return out + 2;
}

std::string fixedText(double value, int decimals) {
    char text[48];
    return std::string(text, appendFixed(text, value, decimals));
}

std::string slashDateText(CivilDate date) {
    return std::to_string(date.month) + "/" + std::to_string(date.day) + "/" + std::to_string(date.year);
}

std::string sortableDateText(CivilDate date) {
    char text[48];
    char* p = appendInteger(text, date.year);
    *p++ = '_';
    p = appendTwoDigits(p, date.month);
    *p++ = '_';
    p = appendTwoDigits(p, date.day);
    return std::string(text, p);
}

std::string clockText(int minuteOfDay) {
    char text[4];
    appendTwoDigits(appendTwoDigits(text, minuteOfDay / 60), minuteOfDay % 60);
    return std::string(text, 4);
}

std::string twelveHourText(int minuteOfDay) {
    const int hour = minuteOfDay / 60;
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    char text[48];
    char* p = appendInteger(text, hour12);
    *p++ = ':';
    p = appendTwoDigits(p, minuteOfDay % 60);
    *p++ = ' ';
    *p++ = hour < 12 ? 'a' : 'p';
    return std::string(text, p);
}

}  // namespace fieldgen
