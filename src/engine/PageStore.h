#pragma once

#include <string>
#include <string_view>

// Where the stored copy of a URL lives, computed from the URL alone so that
// the retrieval, the result pages and the local server find it again without
// an index. Pure: no file-system access, callable from any thread.

// taskDir (ending with "/") + host + path, with "index.html" appended when the
// path ends with "/", and the extra part appended with each of / : * ? " < > |
// replaced by "-":
//   "http://host/cgi/q.asp?id=5&p=a/b" -> taskDir + "host/cgi/q.asp-id=5&p=a-b"
// The port and account are dropped; the host keeps its case; a backslash is an
// ordinary character. Empty when the URL cannot be split, or when its host or
// a path segment is "." or "..", so that no URL names a file outside taskDir.
std::string UrlToLocalPath(const std::string& taskDir, std::string_view url);
