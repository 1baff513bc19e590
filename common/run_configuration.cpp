#include "common/run_configuration.hpp"

#include <cctype>
#include <climits>

#include "common/messages.hpp"

namespace field {

bool AnswerReader::read(bool& answer) {
    if (failed_) return false;
    // Skip white space, then take an optional sign and the digits that follow.
    int c = in_.peek();
    while (c != std::char_traits<char>::eof() && std::isspace(c)) {
        in_.get();
        c = in_.peek();
    }
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        in_.get();
        c = in_.peek();
    }
    bool anyDigit = false;
    bool overflow = false;
    long long value = 0;
    while (c != std::char_traits<char>::eof() && c >= '0' && c <= '9') {
        anyDigit = true;
        if (value > (LLONG_MAX - 9) / 10)
            overflow = true;
        else
            value = value * 10 + (c - '0');
        in_.get();
        c = in_.peek();
    }
    if (!anyDigit || overflow) {
        failed_ = true;
        return false;
    }
    if (negative) value = -value;
    if (value != 0 && value != 1) {
        failed_ = true;
        return false;
    }
    answer = value == 1;
    return true;
}

RunConfiguration makeRunConfiguration(bool fenceField, bool seedData, Program program) {
    RunConfiguration c;
    c.FenceField = fenceField;
    c.SeedData = seedData;
    const FieldLayout& layout = fieldLayout(fenceField);
    c.WindDirectory = layout.windDirectory;
    c.SamplerCount = layout.samplerCount();
    c.DepositionCount = static_cast<std::int32_t>(layout.deposition.size());
    c.ConcentrationCount = static_cast<std::int32_t>(layout.concentration.size());
    if (program == Program::Casetable) {
        // The test-case program knows only the sampler count.
        c.DepositionCount = 0;
        c.ConcentrationCount = 0;
    }
    const std::string material = seedData ? "Seed" : "Pollen";
    c.MeasurementResultPath = layout.measurementResultPath(seedData ? Material::Seed : Material::Pollen);
    c.OutputFileName = "2014 TN " + material + (program == Program::Fieldjoin ? " Whole Data_" : " Test Cases_") +
                       std::string(layout.name) + ".txt";
    return c;
}

RunConfiguration chooseRunConfiguration(std::istream& in, std::ostream& console, Program program) {
    AnswerReader answers(in);
    bool fenceField = false;
    bool seedData = false;
    console << kFenceFieldPrompt << std::flush;
    answers.read(fenceField);
    console << kSeedDataPrompt << std::flush;
    answers.read(seedData);
    return makeRunConfiguration(fenceField, seedData, program);
}

}  // namespace field
