#include "text/diagnostics.hpp"

namespace field {

void RunDiagnostics::aboutCase(const CaseRef& c, std::string_view text) {
    keep({"case", c, {}, std::string(text)});
    caseLine(c, text);
}

void RunDiagnostics::aboutRun(std::string_view text) {
    keep({"run", {}, {}, std::string(text)});
    runLine(text);
}

void RunDiagnostics::caseLine(const CaseRef& c, std::string_view text) {
    ++problems_;
    out_ << program_ << ": case " << c.number << " (DayIndex " << c.dayIndex << ", BeginMinute " << c.beginMinute
         << ", EndMinute " << c.endMinute << "): " << text << '\n'
         << std::flush;
}

void RunDiagnostics::runLine(std::string_view text) { out_ << program_ << ": " << text << '\n' << std::flush; }

void RunDiagnostics::readError(const CaseRef& c, std::string_view what, std::string_view path,
                               std::string_view reason) {
    ++readErrors_;
    const std::string text = fileProblem(std::string(what) + " failed to read", path, reason);
    keep({"read-error", c, std::string(path), text});
    if (c.number > 0)
        caseLine(c, text);
    else
        runLine(text);
}

void RunDiagnostics::summary(bool withFlags) {
    out_ << program_ << ": " << casesRead_ << " cases read, " << rowsWritten_ << " rows written";
    if (withFlags) out_ << ", flags 0/1/2: " << rowsByFlag_[0] << '/' << rowsByFlag_[1] << '/' << rowsByFlag_[2];
    out_ << ", " << windowsWithoutSamples_ << " windows without samples\n" << std::flush;
}

std::string fileProblem(std::string_view text, std::string_view path, std::string_view reason) {
    std::string line(text);
    line += ": ";
    line += path;
    if (!reason.empty()) {
        line += " (";
        line += reason;
        line += ')';
    }
    return line;
}

}  // namespace field
