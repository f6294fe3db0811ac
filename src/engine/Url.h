#pragma once

#include <optional>
#include <string>
#include <string_view>

// Splitting absolute http and https URLs into the parts the engine keeps
// apart: the host (one folder of the page store, one site of the crawl), the
// path and the extra information. Nothing is encoded or decoded.

// Parts are limited to 259 characters, the size links and stored paths were
// always built for.
constexpr size_t URL_PART_MAX = 259;

inline constexpr std::string_view HTTP_PREFIX = "http://";
inline constexpr std::string_view HTTPS_PREFIX = "https://";

// The port a URL of a scheme goes to when it names none: 80 for "http", 443
// for "https", the schemes fetched; 0 for any other.
int DefaultPort(std::string_view scheme);

struct CUrlParts {
    std::string m_strHostText;  // as written after "http://": "user@Host:8080"
    std::string m_strHost;      // without account and port: "Host"
    int m_nPort = 80;           // the port written in the URL, else the scheme's default
    std::string m_strPath;      // "/docs/a.html"; "/" when the URL has none
    std::string m_strExtra;     // "?id=5#top" from the first "?" or "#" on, or ""
    std::string m_strScheme = "http";  // in lower case: "http" or "https"
};

// Splits an absolute http or https URL (the scheme compared without regard
// to case). Nothing for another scheme, an empty host, a port that is not a
// number 1..65535, or a host, path or extra part longer than URL_PART_MAX.
std::optional<CUrlParts> CrackUrl(std::string_view url);

struct CHostPort {
    std::string m_strName;  // "host" or "10.0.0.5"
    int m_nPort = 80;
};

// "user:pw@host:8080" -> name "host", port 8080; "host" -> defaultPort. The
// account is everything up to the last "@". Nothing for an empty name or a
// bad port.
std::optional<CHostPort> ParseHostText(std::string_view hostText, int defaultPort = 80);

// A site of the crawl is named by its host text: "host" or "host:8080" for a
// plain http site, as every task always named them, and "https://host" or
// "https://host:8443" for an HTTPS site.
bool IsHttpsSite(std::string_view site);
// The host text without the scheme: "https://host:8443" -> "host:8443".
std::string_view SiteHostText(std::string_view site);
// Where the site's URLs begin: "http://host/", "https://host:8443/".
std::string SiteRoot(std::string_view site);
// The host and port a site's connections go to, 443 by default for HTTPS.
std::optional<CHostPort> ParseSite(std::string_view site);
// The site an absolute URL belongs to: "http://Host:8080/a" -> "Host:8080",
// "https://host/a" -> "https://host". Empty for another scheme or no host.
std::string SiteOfUrl(std::string_view url);
// A start address split into its site and the path of its first URL:
// "example.com/docs/" -> "example.com" and "/docs/";
// "https://example.com" -> "https://example.com" and "/".
struct CStartAddress {
    std::string m_strSite;
    std::string m_strPath;
};
CStartAddress SplitStartAddress(std::string_view address);
