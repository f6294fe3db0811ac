#pragma once

#include <string>
#include <string_view>

// Small text helpers on 8-bit strings; letters compare as ASCII.

// Removes white space (space, tab, CR, LF, VT, FF) from both ends.
std::string Trim(std::string_view text);

// ASCII letters to lower case; other bytes unchanged.
char ToLowerAscii(char ch);
std::string ToLowerAscii(std::string text);

// Equal texts, ignoring the case of ASCII letters.
bool EqualsNoCase(std::string_view a, std::string_view b);

// True when text begins with prefix, ignoring the case of ASCII letters.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// The name of a path after its last "/" (the whole path when it has none).
std::string FileNameOf(std::string_view path);

// True when text holds a control character: a byte below 0x20 (CR, LF, tab
// ...) or 0x7F. Such text cannot go into a header line.
bool HasControlCharacters(std::string_view text);

// The bytes a request line never carries as they are: a space, a control
// character (below 0x20, or 0x7F) and a byte above 127.
bool IsUnsafeUrlByte(char ch);
bool HasUnsafeUrlBytes(std::string_view text);

// Text with each unsafe URL byte as "%XX" (upper-case hex digits) and every
// other byte, "%" included, as written:
//   "/my page.html" -> "/my%20page.html", "/café.html" (UTF-8) -> "/caf%C3%A9.html",
//   "/caf%C3%A9.html" and "/caf%c3%a9.html" unchanged.
std::string PercentEncodeUnsafe(std::string_view text);

// Appends text to out with every byte from written as to:
// AppendReplacing(out, "a<b", '<', "&lt;") appends "a&lt;b".
void AppendReplacing(std::string& out, std::string_view text, char from, std::string_view to);
