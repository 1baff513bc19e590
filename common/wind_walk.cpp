#include "common/wind_walk.hpp"

#include "common/messages.hpp"

namespace field {

std::string WindDataWalk::findLoggerFile(const std::string& windDirectory, const std::string& entryName) {
    const std::string subdirectory = windDirectory + entryName;
    const std::string pattern = subdirectory + "\\*" + std::string(fieldLayout(fenceField_).loggerFileSuffix);
    if (!loggerMarker_.start(pattern)) {
        say(console_, kNoFileFound);
        return {};
    }
    // Only the first matching file of a subdirectory is ever read.
    return subdirectory + "\\" + loggerMarker_.entry().name;
}

void WindDataWalk::walkWindDirectory(const std::string& windDirectory, MeasurementCase walkCase,
                                     CaseWindowReader& reader) {
    if (!topLevel_.isOpen() && !topLevel_.start(windDirectory + "*.*")) {
        say(console_, kNoFileFound);
        return;
    }
    if (!loggerMarker_.isOpen()) {
        for (;;) {
            const DirectoryEntry& e = topLevel_.entry();
            if (e.isDirectory && e.name != "." && e.name != "..") {
                currentLoggerPath_ = findLoggerFile(windDirectory, e.name);
                break;
            }
            if (!topLevel_.next()) break;
        }
    }
    bool done = reader.readCaseWindow(walkCase, currentLoggerPath_, loggerMarker_);
    while (!done) {
        if (!topLevel_.next()) return;
        // Every entry is tried here, whatever its kind.
        currentLoggerPath_ = findLoggerFile(windDirectory, topLevel_.entry().name);
        done = reader.readCaseWindow(walkCase, currentLoggerPath_, loggerMarker_);
    }
}

void WindDataWalk::close() {
    loggerMarker_.close();
    topLevel_.close();
}

}  // namespace field
