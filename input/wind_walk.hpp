#pragma once
// The walk through a field's wind-data directory: one pass over its
// subdirectories for the whole run, handing each one's logger file to the
// case window until the case is finished.

#include <ostream>
#include <string>
#include <utility>

#include "input/case_window.hpp"
#include "input/measurement_case.hpp"
#include "platform/directory_search.hpp"
#include "platform/windows_path.hpp"
#include "text/diagnostics.hpp"

namespace field {

class WindDataWalk {
public:
    /// Walks a field whose day folders hold logger files matching `loggerFilePattern` ("*_data.DAT").
    WindDataWalk(const PathMapper& paths, std::ostream& console, std::string loggerFilePattern,
                 Diagnostics& diagnostics)
        : paths_(paths), console_(console), loggerFilePattern_(std::move(loggerFilePattern)), diagnostics_(diagnostics),
          topLevel_(paths), loggerMarker_(paths) {}

    /// Starts the walk for a case: the walk keeps its own copy, whose BeginMinute moves on
    /// with the sub-windows.
    void beginCase(const MeasurementCase& walkCase);
    /// Feeds the case's logger files to `reader`, continuing where the previous case (or call)
    /// stopped: true when a window of the case has closed (the reader holds it until this is
    /// called again), false when the case is done.
    bool nextWindow(const std::string& windDirectory, CaseWindowReader& reader);

    /// Full path of the first logger file in the subdirectory `entryName`, or empty
    /// text (with the console message) when there is none. Opens the logger-file marker.
    std::string findLoggerFile(const std::string& windDirectory, const std::string& entryName,
                               const CaseRef& forCase = {});

    /// Closes the logger-file marker, then the top-level search (end of the run).
    void close();

private:
    bool readOn(const std::string& windDirectory, CaseWindowReader& reader, const CaseRef& forCase);

    const PathMapper& paths_;
    std::ostream& console_;
    std::string loggerFilePattern_;
    Diagnostics& diagnostics_;
    DirectorySearch topLevel_;
    DirectorySearch loggerMarker_;
    std::string currentLoggerPath_;
    MeasurementCase walkCase_;
    bool windowOut_ = false;  // a window of the case was handed out: the next call reads on behind it
};

}  // namespace field
