#pragma once
// What a program sets up about its own process before it opens any file.

#include <string>
#include <vector>

namespace field {

/// Opens the null device on each of standard input, output and error that is closed, so that
/// no file opened later becomes descriptor 0, 1 or 2 and receives the console's messages; and
/// ignores the signals that would end a run without a word where a failed write is reported
/// and taken back instead (a file-size limit, a console whose reader has gone).
void prepareProcess();

/// The program's arguments (argv[0] included) in UTF-8: as given on POSIX, from the wide
/// command line on Windows, where `argv` holds them in the ANSI code page.
std::vector<std::string> programArguments(int argc, char** argv);

/// True when standard error is a terminal (a console window on Windows).
bool standardErrorIsTerminal();

}  // namespace field
