#include "input/wind_walk.hpp"

#include "text/messages.hpp"

namespace field {

std::string WindDataWalk::findLoggerFile(const std::string& windDirectory, const std::string& entryName,
                                         const CaseRef& forCase) {
    const std::string subdirectory = windDirectory + entryName;
    const std::string pattern = subdirectory + "\\*" + std::string(fieldLayout(fenceField_).loggerFileSuffix);
    if (!loggerMarker_.start(pattern)) {
        say(console_, kNoFileFound);
        if (diagnostics_ != nullptr)
            diagnostics_->aboutCase(forCase, fileProblem("no logger file found", paths_.toLocal(pattern)));
        return {};
    }
    // Only the first matching file of a subdirectory is ever read.
    return subdirectory + "\\" + loggerMarker_.entry().name;
}

void WindDataWalk::walkWindDirectory(const std::string& windDirectory, MeasurementCase walkCase,
                                     CaseWindowReader& reader) {
    const CaseRef forCase = reader.currentCase();
    if (!topLevel_.isOpen() && !topLevel_.start(windDirectory + "*.*")) {
        say(console_, kNoFileFound);
        if (diagnostics_ != nullptr)
            diagnostics_->aboutCase(forCase,
                                    fileProblem("wind-data folder not found or empty", paths_.toLocal(windDirectory)));
        return;
    }
    if (!loggerMarker_.isOpen()) {
        for (;;) {
            const DirectoryEntry& e = topLevel_.entry();
            if (e.isDirectory && e.name != "." && e.name != "..") {
                currentLoggerPath_ = findLoggerFile(windDirectory, e.name, forCase);
                break;
            }
            if (!topLevel_.next()) {
                if (currentLoggerPath_.empty() && diagnostics_ != nullptr)
                    diagnostics_->aboutCase(
                        forCase, fileProblem("no subfolder in the wind-data folder", paths_.toLocal(windDirectory)));
                break;
            }
        }
    }
    for (;;) {
        const WindowRead result = reader.readCaseWindow(walkCase, currentLoggerPath_);
        if (result == WindowRead::Finished) return;
        // The marker stays open at a file that could not be opened: the next case tries it again.
        if (result == WindowRead::FileEnded) loggerMarker_.close();
        if (!topLevel_.next()) return;
        // Every entry is tried here, whatever its kind.
        currentLoggerPath_ = findLoggerFile(windDirectory, topLevel_.entry().name, forCase);
    }
}

void WindDataWalk::close() {
    loggerMarker_.close();
    topLevel_.close();
}

}  // namespace field
