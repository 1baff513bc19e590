#include "input/wind_walk.hpp"

#include "text/messages.hpp"

namespace field {

std::string WindDataWalk::findLoggerFile(const std::string& windDirectory, const std::string& entryName,
                                         const CaseRef& forCase) {
    const std::string subdirectory = windDirectory + entryName;
    const std::string pattern = subdirectory + "\\" + loggerFilePattern_;
    if (!loggerMarker_.start(pattern)) {
        say(console_, kNoFileFound);
        diagnostics_.aboutCase(forCase, fileProblem("no logger file found", paths_.toLocal(pattern)));
        return {};
    }
    // Only the first matching file of a subdirectory is ever read.
    return subdirectory + "\\" + loggerMarker_.entry().name;
}

void WindDataWalk::beginCase(const MeasurementCase& walkCase) {
    walkCase_ = walkCase;
    windowOut_ = false;
}

bool WindDataWalk::nextWindow(const std::string& windDirectory, CaseWindowReader& reader) {
    const CaseRef forCase = reader.currentCase();
    if (windowOut_) {
        windowOut_ = false;
        return readOn(windDirectory, reader, forCase);
    }
    if (!topLevel_.isOpen() && !topLevel_.start(windDirectory + "*.*")) {
        say(console_, kNoFileFound);
        diagnostics_.aboutCase(forCase,
                               fileProblem("wind-data folder not found or empty", paths_.toLocal(windDirectory)));
        return false;
    }
    if (!loggerMarker_.isOpen()) {
        for (;;) {
            const DirectoryEntry& e = topLevel_.entry();
            if (e.isDirectory && e.name != "." && e.name != "..") {
                currentLoggerPath_ = findLoggerFile(windDirectory, e.name, forCase);
                break;
            }
            if (!topLevel_.next()) {
                if (currentLoggerPath_.empty())
                    diagnostics_.aboutCase(
                        forCase, fileProblem("no subfolder in the wind-data folder", paths_.toLocal(windDirectory)));
                break;
            }
        }
    }
    return readOn(windDirectory, reader, forCase);
}

bool WindDataWalk::readOn(const std::string& windDirectory, CaseWindowReader& reader, const CaseRef& forCase) {
    for (;;) {
        const WindowRead result = reader.readCaseWindow(walkCase_, currentLoggerPath_);
        if (result == WindowRead::Closed) {
            windowOut_ = true;
            return true;
        }
        if (result == WindowRead::Finished) return false;
        // The marker stays open at a file that could not be opened: the next case tries it again.
        if (result == WindowRead::FileEnded) loggerMarker_.close();
        if (!topLevel_.next()) return false;
        // Every entry is tried here, whatever its kind.
        currentLoggerPath_ = findLoggerFile(windDirectory, topLevel_.entry().name, forCase);
    }
}

void WindDataWalk::close() {
    loggerMarker_.close();
    topLevel_.close();
}

}  // namespace field
