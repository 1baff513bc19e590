#pragma once
// File-name wildcard matching as the Windows directory search does it.

#include <string_view>

namespace field {

/// True when `name` matches `pattern`, ignoring ASCII case: '*' is any run of
/// characters (also empty), '?' exactly one; a pattern ending in ".*" also
/// matches names without a dot (so "*.*" matches every name).
bool wildcardMatch(std::string_view pattern, std::string_view name);

/// ASCII-only case folding to upper case, the order key of directory listings.
char foldUpper(char c);

/// Equal ignoring ASCII case.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace field
