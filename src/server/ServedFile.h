#pragma once

#include <optional>
#include <string>
#include <string_view>

// Finding and opening the files the local server sends.

// Opens a file for reading only when it is a regular file, judged on the
// opened descriptor: a FIFO, device or folder is never waited on or read, and
// nothing can be swapped in between a look and the open. -1 otherwise.
int OpenRegularFile(const std::string& path);

// A stored copy found for a request.
struct CStoredCopy {
    int m_hFile = -1;             // open for reading; the caller closes it
    std::string m_strPath;        // taskDir + "host/docs/a b.html"
    std::string m_strRequestPath; // the path that found it: "/host/docs/a b.html"
};

// The stored copy that a request name ("host/docs/a%20b.html", without the
// path's first "/") names: the percent-decoded name is looked up first and,
// when it names no copy, the name as sent (stored names may hold "%" as
// written in their URL). A name of a host alone stands for its index.html.
// A site on another port has its own folder ("host:8080/a.html"), or, in a
// task stored before that, shares the folder of its host. Only regular files
// inside taskDir are found, and never a companion header file (a name ending
// in ".Quobrix", in any case).
std::optional<CStoredCopy> OpenStoredCopy(const std::string& taskDir, std::string_view name);

// The content type line of a stored copy, blank line included: the first
// "content-type: " line of its companion header as written, else one chosen
// by the extension.
std::string StoredContentTypeLine(const std::string& storedPath, const std::string& extension);
