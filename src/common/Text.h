#pragma once

#include <string>
#include <string_view>

// Small text helpers on 8-bit strings; letters compare as ASCII.

// Removes white space (space, tab, CR, LF, VT, FF) from both ends.
std::string Trim(std::string_view text);

// True when text begins with prefix, ignoring the case of ASCII letters.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// The name of a path after its last "/" (the whole path when it has none).
std::string FileNameOf(std::string_view path);
