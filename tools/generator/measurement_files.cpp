#include "tools/generator/measurement_files.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "tools/generator/random_stream.hpp"
#include "tools/generator/sampling_cases.hpp"
#include "tools/generator/text_format.hpp"

namespace fieldgen {
namespace {

/// The readings of every sampler of one case, in block order; a missing reading is -1.
std::vector<double> caseReadings(const FieldModel& field, const MaterialModel& material, const CaseWind& wind,
                                 RandomStream& random) {
    // Plume from the source point: concentration falls off with height over a depth that grows in
    // unstable air, and along the ground within `reach`, mostly towards the bearing that equals the
    // wind direction (the bearing the programs' ring interpolation takes as the plume's path).
    const double stability = std::clamp(3.0 / wind.obukhovLength, -2.0, 2.0);
    const double depth = material.plumeDepth * std::clamp(1.0 - 0.35 * stability, 0.7, 1.8);
    const double nearGround =
        material.medianConcentration * std::exp(0.5 * random.normal()) * std::sqrt(2.5 / wind.speed);
    const double sourceDeposition = material.settlingVelocity * nearGround * std::exp(0.15 * random.normal());

    const field::FieldLayout& layout = *field.layout;
    std::vector<double> readings(static_cast<std::size_t>(layout.samplerCount()));
    for (int i = 0; i < layout.samplerCount(); ++i) {
        const field::SamplerSite& sampler = layout.sampler(i);
        const double distance = std::hypot(sampler.x, sampler.y);
        double spread = 1.0;
        if (distance > 0) {
            // Bearing of a sampler as the programs' rings have it: (-3, 0) is 0, (0, 3) is 90.
            const double bearing = std::atan2(sampler.y, -sampler.x) * 180.0 / kPi;
            const double alignment = std::max(0.0, std::cos((bearing - wind.windFrom) * kPi / 180.0));
            spread = std::exp(-distance / material.reach) * (0.06 + 0.94 * alignment * alignment);
        }
        if (layout.isDeposition(i)) {
            double value = sourceDeposition;
            if (distance > 0) {
                // Noise must not lift a ring sampler above the source point.
                value = std::min(0.95 * sourceDeposition, sourceDeposition * spread * std::exp(0.15 * random.normal()));
            }
            readings[static_cast<std::size_t>(i)] = value;
        } else {
            const double localDepth = depth + 0.1 * distance;  // the plume thickens downwind
            readings[static_cast<std::size_t>(i)] =
                nearGround * spread * std::exp(-(sampler.z - 0.5) / localDepth) * std::exp(0.1 * random.normal());
        }
    }
    // On each mast (consecutive concentration samplers at one place, top first) keep the
    // concentration falling with height despite the noise.
    for (int i = layout.samplerCount() - 2; i >= 0; --i) {
        const field::SamplerSite& upper = layout.sampler(i);
        const field::SamplerSite& lower = layout.sampler(i + 1);
        if (!layout.isDeposition(i) && upper.x == lower.x && upper.y == lower.y) {
            double& value = readings[static_cast<std::size_t>(i)];
            value = std::min(value, 0.97 * readings[static_cast<std::size_t>(i + 1)]);
        }
    }
    for (double& value : readings) {
        if (random.chance(0.025)) value = -1.0;  // a lost or damaged sampler
    }
    return readings;
}

}  // namespace

/// Writes one measurement-result file; returns the number of cases.
int writeMeasurementFile(const Options& options, const std::vector<CivilDate>& dates, const FieldModel& field,
                         const MaterialModel& material, const std::vector<FieldMinute>& wind, OutputTally& tally) {
    RandomStream random = measurementStream(options, field, material);
    const field::FieldLayout& layout = *field.layout;
    const fs::path path =
        localPathOf(options.root, layout.measurementResultPaths[static_cast<std::size_t>(material.number)]);
    makeDirectories(path.parent_path());
    BlockWriter out(path);
    out.write("Day,BeginMinute,EndMinute,Date,BeginTime,EndTime,Sampler,Deposition,Concentration\n");
    out.write("day index,minute of day,minute of day,M/D/YYYY,HHMM,HHMM,id,grains/m2/s,grains/m3\n");
    const std::vector<SamplingCase> cases =
        scheduleCases(options.days, options.casesPerDay, options.windowShare, random);
    for (const SamplingCase& sampling : cases) {
        const CivilDate date = dates[static_cast<std::size_t>(sampling.day)];
        const std::vector<double> readings = caseReadings(field, material, caseWindOf(wind, sampling), random);
        std::string block;
        for (int i = 0; i < layout.samplerCount(); ++i) {
            const field::SamplerSite& sampler = layout.sampler(i);
            // The case fields stand on the block's first line only; the others leave them empty.
            if (i == 0) {
                block += std::to_string(options.dayIndex(date)) + "," + std::to_string(sampling.beginMinute) + "," +
                         std::to_string(sampling.endMinute) + "," + slashDateText(date) + "," +
                         clockText(sampling.beginMinute) + "," + clockText(sampling.endMinute) + ",";
            } else {
                block += ",,,,,,";
            }
            const double value = readings[static_cast<std::size_t>(i)];
            const std::string reading = value < 0 ? std::string("-1") : fixedText(value, material.decimals);
            block += sampler.id;
            block += layout.isDeposition(i) ? "," + reading + ",\n" : ",," + reading + "\n";
        }
        out.write(block);
    }
    tally.addFile(out.close());
    return static_cast<int>(cases.size());
}

}  // namespace fieldgen
