#pragma once
// The system's own words for a failed call, for messages that name a file and
// say why it could not be used.

#include <string>
#include <system_error>

namespace field {

/// The C library's text for an errno value ("No such file or directory", "Permission denied", ...).
inline std::string systemReason(int errorNumber) { return std::generic_category().message(errorNumber); }

}  // namespace field
