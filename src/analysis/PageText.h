#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text side of page analysis as pure functions on bytes, so that they can
// be tested and fuzzed without a task. Every one of them runs in time linear
// in its input, whatever the page holds.

// Splits a page into its tag text (every character inside "<" ... ">" outside
// script and style blocks, brackets included) and the plain text of its body.
// stopped, when given, is asked every few thousand characters; once it
// answers true the scan ends with the outputs made so far.
void StripPageText(std::string_view page, std::string& tagText, std::string& plainText,
                   const std::function<bool()>& stopped = {});

// The text between "<title" + 7 and the first "</title", trimmed; empty when
// that is not a positive length. Nothing when either tag is missing, so the
// caller keeps the title it had. "<title>  Home </title>" -> "Home".
std::optional<std::string> PageTitle(std::string_view page);

// The abstract's window [start, end) over a plain text; always
// start <= end <= the text's length (start == end: no abstract).
struct CAbstractWindow {
    size_t start;
    size_t end;
};

// The window over a plain text of n bytes, maxLength bytes long at most:
// around the first keyword hit when there is a centre, else placed by
// startingPoint (0 beginning, 1 middle, anything else end) and offset.
CAbstractWindow AbstractWindow(size_t n, std::optional<size_t> centre, int maxLength,
                               int startingPoint, int offset);

// Moves the window's ends off UTF-8 continuation bytes (start forward, end
// backward), so the abstract never cuts a character in two.
CAbstractWindow KeepUtf8Whole(std::string_view text, CAbstractWindow window);

// Wraps every occurrence of each keyword, taking the keywords in list order,
// in "<font color=\"#FF0000\">" ... "</font>". Without matchCase a hit keeps
// its own letters. A later keyword is also found inside the markup added for
// an earlier one (the keyword "font" is). Empty keywords are ignored, and
// wrapping stops once the text has grown past a megabyte, so a keyword list
// that keeps matching its own markup cannot exhaust memory.
std::string HighlightKeywords(std::string abstract, const std::vector<std::string>& keywords,
                              bool matchCase);
