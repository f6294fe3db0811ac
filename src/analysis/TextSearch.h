#pragma once

#include <string_view>

// Case-insensitive substring searches over whole pages, shared by link
// extraction, text stripping and page rewriting. Letters compare as ASCII;
// every other byte compares exactly. A negative start counts as 0.

// Index of the first occurrence of pattern in text at or after start, or -1
// when there is none or start lies beyond the end of the text. An empty
// pattern is found at start itself, also when start is the end of the text:
// FindNoCase("abc", "", 3) == 3, FindNoCase("abc", "", 4) == -1.
int FindNoCase(std::string_view text, std::string_view pattern, int start);

// Index of the first position at or after start where any of the count names
// begins, compared as in FindNoCase; -1 when none does or start lies beyond
// the end. FindAnyNoCase("<IMG src>", {"<a", "<img"}, 2, 0) == 0.
int FindAnyNoCase(std::string_view text, const char* const* names, int count, int start);
