#include "input/measurement_file.hpp"

#include <string_view>

#include "platform/c_numbers.hpp"
#include "platform/fields.hpp"

namespace field {
namespace {

float readingOf(std::string_view fieldText) { return static_cast<float>(cAtof(fieldText)); }

// Appends to a reading array sized for the field; a line without its field stores nothing
// and keeps the position, so the array may not fill up.
template <typename Array>
void append(Array& array, int& position, float value) {
    if (position < static_cast<int>(array.size())) array[static_cast<std::size_t>(position)] = value;
    ++position;
}

void readCaseLineFields(std::string_view line, const ProgramVariant& variant, MeasurementCase& record,
                        int& depositionPosition) {
    FieldSplitter fields(line, ',');
    std::string_view f;
    for (int number = 1; fields.next(f); ++number) {
        switch (number) {
            case 1: record.DayIndex = cAtoi(f); break;
            case 2: record.BeginMinute = cAtoi(f); break;
            case 3: record.EndMinute = cAtoi(f); break;
            case 4: record.Date.assign(f); break;
            case 5:
                if (variant.appendReadings) record.BeginTime.assign(f);
                break;
            case 6:
                if (variant.appendReadings) record.EndTime.assign(f);
                break;
            case 8:
                if (variant.appendReadings)
                    append(record.Deposition, depositionPosition, readingOf(f));
                else if (!record.Deposition.empty())
                    record.Deposition[0] = readingOf(f);
                return;
            default: break;
        }
    }
}

}  // namespace

void skipMeasurementHeader(LineReader& file) {
    std::string_view ignored;
    file.next(ignored);
    file.next(ignored);
}

bool readMeasurementCase(LineReader& file, const RunConfiguration& config, const ProgramVariant& variant,
                         MeasurementCase& record) {
    BlockFit ignored;
    return readMeasurementCase(file, config, variant, record, ignored);
}

namespace {

// Notes in `fit` a line whose sampler column names another sampler of the field.
void checkSamplerName(std::string_view line, int block, const FieldLayout& layout, BlockFit& fit) {
    if (fit.misplacedLine >= 0 || block >= layout.samplerCount()) return;
    std::string_view named;
    if (!fieldAt(line, ',', 7, named) || named.empty() || named == layout.sampler(block).id) return;
    for (int i = 0; i < layout.samplerCount(); ++i) {
        if (layout.sampler(i).id == named) {
            fit.misplacedLine = block;
            fit.named.assign(named);
            return;
        }
    }
}

}  // namespace

std::string blockFitProblem(const BlockFit& fit, const FieldLayout& field) {
    const std::string count = std::to_string(field.samplerCount());
    if (fit.misplacedLine >= 0)
        return "block line " + std::to_string(fit.misplacedLine + 1) + " names sampler " + fit.named +
               " where the field's sampler " + field.sampler(fit.misplacedLine).id +
               " stands: the blocks of the measurement-result file do not fit the field's " + count + " samplers";
    if (fit.linesInFile < field.samplerCount())
        return "the measurement-result file ends inside the case's block, after " + std::to_string(fit.linesInFile) +
               " of the field's " + count + " lines";
    return {};
}

bool readMeasurementCase(LineReader& file, const RunConfiguration& config, const ProgramVariant& variant,
                         MeasurementCase& record, BlockFit& fit) {
    std::string_view line;
    fit = BlockFit{};
    if (!file.next(line)) return false;
    fit.linesInFile = 1;
    const FieldLayout& layout = config.layout();
    record.Deposition.resize(layout.deposition.size());
    record.Concentration.resize(layout.concentration.size());
    record.SourceProfile.resize(layout.mast.size());
    int depositionPosition = 0, concentrationPosition = 0, profilePosition = 0;
    readCaseLineFields(line, variant, record, depositionPosition);
    checkSamplerName(line, 0, layout, fit);

    // Sampler-line numbers j: block index j + 1 (the block's first line is read apart).
    const int sourcePoint = layout.sourcePointSampler - 1;
    for (int j = 0; j <= config.SamplerCount - 2; ++j) {
        const int block = j + 1;
        if (file.next(line)) {
            ++fit.linesInFile;
            checkSamplerName(line, block, layout, fit);
        } else {
            line = {};  // the file ended inside the block
        }
        const bool onMast = layout.mastLevelOf(block) >= 0;
        if (variant.appendReadings) {
            if (j < config.DepositionCount - 1) {
                std::string_view f;
                if (!fieldAt(line, ',', 8, f)) continue;  // no field 8: nothing stored, position kept
                const float value = readingOf(f);
                append(record.Deposition, depositionPosition, value);
                if (j == sourcePoint) record.SourceDeposition = value;
            } else {
                std::string_view f;
                if (!fieldAt(line, ',', 9, f)) continue;
                const float value = readingOf(f);
                append(record.Concentration, concentrationPosition, value);
                if (onMast) append(record.SourceProfile, profilePosition, value);
            }
        } else if (j == sourcePoint) {
            std::string_view f;
            if (fieldAt(line, ',', 8, f)) record.SourceDeposition = readingOf(f);
        } else if (layout.isRingSampler(block)) {
            // casetable keeps what its source strength reads: the ring samplers, at their block places.
            std::string_view f;
            if (fieldAt(line, ',', 8, f)) record.Deposition[static_cast<std::size_t>(block)] = readingOf(f);
        } else if (onMast) {
            std::string_view f;
            if (fieldAt(line, ',', 9, f)) append(record.SourceProfile, profilePosition, readingOf(f));
        }
    }
    return true;
}

}  // namespace field
