#pragma once

#include <optional>
#include <string>
#include <string_view>

// Splitting absolute http URLs into the parts the engine keeps apart: the
// host (one folder of the page store, one site of the crawl), the path and the
// extra information. Nothing is encoded or decoded.

// Parts are limited to 259 characters, the size links and stored paths were
// always built for.
constexpr size_t URL_PART_MAX = 259;

// The port a URL of a scheme goes to when it names none: 80 for "http", the
// one scheme fetched; 0 for any other.
int DefaultPort(std::string_view scheme);

struct CUrlParts {
    std::string m_strHostText;  // as written after "http://": "user@Host:8080"
    std::string m_strHost;      // without account and port: "Host"
    int m_nPort = 80;           // the port written in the URL, else the scheme's default
    std::string m_strPath;      // "/docs/a.html"; "/" when the URL has none
    std::string m_strExtra;     // "?id=5#top" from the first "?" or "#" on, or ""
    std::string m_strScheme = "http";  // in lower case
};

// Splits an absolute http URL ("http://" compared without regard to case).
// Nothing when the URL is not http, has an empty host, a port that is not a
// number 1..65535, or a host, path or extra part longer than URL_PART_MAX.
std::optional<CUrlParts> CrackUrl(std::string_view url);

struct CHostPort {
    std::string m_strName;  // "host" or "10.0.0.5"
    int m_nPort = 80;
};

// "user:pw@host:8080" -> name "host", port 8080; "host" -> port 80, http's
// default. The account is everything up to the last "@". Nothing for an empty
// name or a bad port.
std::optional<CHostPort> ParseHostText(std::string_view hostText);
