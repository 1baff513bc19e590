#pragma once
// The points where fieldjoin and casetable behave differently, chosen once
// by each program's entry point and handed to the shared code.

#include <cstddef>

namespace field {

enum class Program { Fieldjoin, Casetable };

struct ProgramVariant {
    Program program;
    bool yearCheck;               // logger timestamps must be of the campaign's year
    bool subWindows;              // cut each case window into 30-minute slices
    std::size_t sampleCapacity;   // initial sample buffer capacity (grows if needed)
    bool standardDeviations;      // UStd, VStd, WStd, TsStd
    bool windProfile;             // the five UZ values
    bool testRunningSourceSum;    // -999 test after every mast level (else only on the final sum)
    bool appendReadings;          // measurement readings appended (else stored at fixed places)
    std::size_t windowsInFlight;  // closed windows whose quality may wait for the second thread
};

inline constexpr ProgramVariant kFieldjoinVariant{
    .program = Program::Fieldjoin,
    .yearCheck = false,
    .subWindows = false,
    .sampleCapacity = 240000,
    .standardDeviations = true,
    .windProfile = true,
    .testRunningSourceSum = true,
    .appendReadings = true,
    .windowsInFlight = 2,  // cases hours apart: the thread is done long before the next
};
inline constexpr ProgramVariant kCasetableVariant{
    .program = Program::Casetable,
    .yearCheck = true,
    .subWindows = true,
    .sampleCapacity = 18000,
    .standardDeviations = false,
    .windProfile = false,
    .testRunningSourceSum = false,
    .appendReadings = false,
    .windowsInFlight = 4,  // a case's 30-minute sub-windows come one after another
};

}  // namespace field
