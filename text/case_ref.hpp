#pragma once
// How messages name a case: its number in the measurement-result file and its window.

#include <cstdint>

namespace field {

struct CaseRef {
    std::int32_t number = 0;  // from 1, in the order of the measurement-result file
    std::int32_t dayIndex = 0;
    std::int32_t beginMinute = 0;
    std::int32_t endMinute = 0;
};

}  // namespace field
