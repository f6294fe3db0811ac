#pragma once

#include <string>
#include <string_view>

// Where the stored copy of a URL lives, computed from the URL alone so that
// the retrieval, the result pages and the local server find it again without
// an index. Pure: no file-system access, callable from any thread.

// The name ending of a stored copy's companion header file.
constexpr std::string_view COMPANION_SUFFIX = ".Quobrix";

// taskDir (ending with "/") + host + path, with "index.html" appended when the
// path ends with "/", and the extra part appended with each of / : * ? " < > |
// replaced by "-":
//   "http://host/cgi/q.asp?id=5&p=a/b" -> taskDir + "host/cgi/q.asp-id=5&p=a-b"
// The port and account are dropped; the host keeps its case; a backslash is an
// ordinary character. Empty when the URL cannot be split, or when its host or
// a path segment is "." or "..", so that no URL names a file outside taskDir.
//
// No name along the path ends in COMPANION_SUFFIX (in any case), so no
// stored copy or folder takes a companion's place, and every name fits a
// folder entry with its companion beside it: a folder name has at most 255
// bytes, a file name at most 247. A name that breaks either rule keeps a
// prefix and gets "~" + 16 hex digits of the SHA-256 of its whole self:
//   "http://host/a.html.Quobrix" -> taskDir + "host/a.html.Quobrix~" + 16 hex
// A shortened file name also keeps the path, below the host, within 259
// bytes when it can, so the local server maps its link back to the same file.
// Such names map to themselves again.
std::string UrlToLocalPath(const std::string& taskDir, std::string_view url);

// The companion header file of a stored copy: path + COMPANION_SUFFIX.
std::string CompanionPath(std::string_view storedPath);
