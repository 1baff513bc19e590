#include "run/console_answers.hpp"

#include <cctype>
#include <climits>

#include "text/messages.hpp"

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

RunConfiguration chooseRunConfiguration(std::istream& in, std::ostream& console, const CampaignPtr& campaign,
                                        Program program) {
    AnswerReader answers(in);
    bool firstField = false;
    bool firstMaterial = false;
    console << fieldPrompt(campaign->fields[0].name) << std::flush;
    answers.read(firstField);
    console << materialPrompt(campaign->materials[0]) << std::flush;
    answers.read(firstMaterial);
    return makeRunConfiguration(campaign, firstField ? 0 : 1, firstMaterial ? 0 : 1, program);
}

}  // namespace field
