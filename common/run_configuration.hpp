#pragma once
// The two console answers and what follows from them: the input paths, the
// output table's name and the sampler counts of the field.

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>

#include "common/field_layout.hpp"
#include "common/program_variant.hpp"

namespace field {

struct RunConfiguration {
    bool FenceField = false;
    bool SeedData = false;
    std::string WindDirectory;          // Windows path text, ends with a backslash
    std::string MeasurementResultPath;  // Windows path text
    std::string OutputFileName;         // bare name, created in the working directory
    std::int32_t SamplerCount = 0;
    std::int32_t DepositionCount = 0;     // fieldjoin only
    std::int32_t ConcentrationCount = 0;  // fieldjoin only
};

/// Fixed directory of the weather-station files (fieldjoin, both fields).
inline constexpr const char* kStationDirectory = kStationDirectoryPath.data();

/// Reads one answer the way a formatted boolean read does: white space skipped,
/// a decimal number read; 0 and 1 are the answers. Anything else (or end of
/// input) fails the input for good, leaving the answer at no.
class AnswerReader {
public:
    explicit AnswerReader(std::istream& in) : in_(in) {}
    /// True and the answer on success; false once the input has failed.
    bool read(bool& answer);

private:
    std::istream& in_;
    bool failed_ = false;
};

/// The configuration for given answers (no console involved).
RunConfiguration makeRunConfiguration(bool fenceField, bool seedData, Program program);

/// Asks the two questions on `console`, reads the answers from `in`, returns the configuration.
RunConfiguration chooseRunConfiguration(std::istream& in, std::ostream& console, Program program);

}  // namespace field
