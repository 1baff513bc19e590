#pragma once
// One sampling period of the measurement-result file, copied by value into
// every consumer (walk, window, statistics, rows).

#include <array>
#include <cstdint>
#include <string>

#include "input/field_layout.hpp"
#include "text/case_ref.hpp"

namespace field {

inline constexpr int kMaxDeposition = maxDepositionCount();
inline constexpr int kMaxConcentration = maxConcentrationCount();
inline constexpr int kSourceProfileLevels = kSourceMastLevels;

struct MeasurementCase {
    std::int32_t DayIndex = 0;
    std::int32_t BeginMinute = 0;
    std::int32_t EndMinute = 0;  // the window ends before this minute
    std::string Date;
    std::string BeginTime;  // fieldjoin only; never printed
    std::string EndTime;    // fieldjoin only; never printed
    // Readings; a negative value marks a missing measurement.
    std::array<float, kMaxDeposition> Deposition{};        // casetable fills entries 0..7 only
    std::array<float, kMaxConcentration> Concentration{};  // fieldjoin only
    float SourceDeposition = 0.0f;
    std::array<float, kSourceProfileLevels> SourceProfile{};  // 5, 3.15, 2.225, 1.3, 0.5 m
};

/// The case as messages name it.
inline CaseRef caseRef(const MeasurementCase& c, std::int32_t number) {
    return {number, c.DayIndex, c.BeginMinute, c.EndMinute};
}

}  // namespace field
