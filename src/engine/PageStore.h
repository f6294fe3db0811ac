#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "engine/Url.h"

// Where the stored copy of a URL lives, computed from the URL alone so that
// the retrieval, the result pages and the local server find it again without
// an index. Pure: no file-system access, callable from any thread.

// The name ending of a stored copy's companion header file.
constexpr std::string_view COMPANION_SUFFIX = ".Quobrix";

// The folder of a URL's site in the page store: the host for its scheme's
// default port, "host:port" for any other, so that the sites of one host stay
// apart: "host", "127.0.0.3:18085". A folder name needs no escaping for ":".
std::string SiteFolderName(const CUrlParts& parts);

// taskDir (ending with "/") + site folder + path, with "index.html" appended
// when the path ends with "/", and the extra part appended with each of
// / : * ? " < > | replaced by "-":
//   "http://host/cgi/q.asp?id=5&p=a/b" -> taskDir + "host/cgi/q.asp-id=5&p=a-b"
//   "http://host:8080/a.html"          -> taskDir + "host:8080/a.html"
// The account is dropped, and so is a port that is the default ("host:80");
// the host keeps its case; a backslash is an ordinary character. Empty when
// the URL cannot be split, or when its host or a path segment is "." or "..",
// so that no URL names a file outside taskDir.
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

// Where the stored copy of a URL is read from. Tasks stored before sites on
// other ports had folders of their own kept every port of a host in the
// folder "host": while taskDir holds no folder "host:port" for the URL's
// site, the copy is looked for in "host". exists(path) tells whether a folder
// of that path exists. The same as UrlToLocalPath for a default port.
std::string FindLocalPath(const std::string& taskDir, std::string_view url,
                          const std::function<bool(const std::string& path)>& exists);

// The companion header file of a stored copy: path + COMPANION_SUFFIX.
std::string CompanionPath(std::string_view storedPath);
