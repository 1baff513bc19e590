#pragma once
// The console dialogue: the two questions and the reading of their answers.

#include <istream>
#include <ostream>

#include "input/program_variant.hpp"
#include "input/run_configuration.hpp"

namespace field {

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

/// Asks the two questions on `console`, reads the answers from `in`, returns the configuration
/// (a campaign of two fields and two materials: 1 picks the first of each, 0 the second).
RunConfiguration chooseRunConfiguration(std::istream& in, std::ostream& console, const CampaignPtr& campaign,
                                        Program program);

/// True when the dialogue can choose among the campaign's fields and materials.
inline bool dialogueFits(const Campaign& campaign) {
    return campaign.fields.size() == 2 && campaign.materials.size() == 2;
}

}  // namespace field
