#pragma once
// One sampling period of the measurement-result file, copied by value into
// every consumer (walk, window, statistics, rows).

#include <cstdint>
#include <string>
#include <vector>

#include "text/case_ref.hpp"

namespace field {

struct MeasurementCase {
    std::int32_t DayIndex = 0;
    std::int32_t BeginMinute = 0;
    std::int32_t EndMinute = 0;  // the window ends before this minute
    std::string Date;
    std::string BeginTime;  // fieldjoin only; never printed
    std::string EndTime;    // fieldjoin only; never printed
    // Readings; a negative value marks a missing measurement.
    // Sized by the reader for the field: a reading per deposition sampler (casetable keeps them
    // at their block places), per concentration sampler (fieldjoin only), per mast level.
    std::vector<float> Deposition;
    std::vector<float> Concentration;
    float SourceDeposition = 0.0f;
    std::vector<float> SourceProfile;  // the mast's levels, top first
};

/// The case as messages name it.
inline CaseRef caseRef(const MeasurementCase& c, std::int32_t number) {
    return {number, c.DayIndex, c.BeginMinute, c.EndMinute};
}

}  // namespace field
