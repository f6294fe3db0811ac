#pragma once

#include <optional>
#include <string>

// What the new-task wizard (or "quobrix-cli new") hands to a new task: the
// only values a task takes from outside, besides the application's default
// colour for retrieved links.
struct CNewTaskRecord {
    bool m_bSiteMode = true;
    std::string m_strStartAddress;  // "example.com/docs/", or the range's lower address
    std::string m_strEndAddress;    // the range's upper address; in site mode the same address
    std::string m_strKeywords;      // as typed
    bool m_bMatchCase = false;
    std::string m_strAccount;
    std::string m_strPassword;
};

// An internet address as the user typed it, made ready for a site-mode task:
// trimmed, and a leading "http://" removed whatever its case; "https://"
// stays (in lower case), so the task's site is an HTTPS one. Nothing when
// no address remains ("A valid internet address is required to continue.").
std::optional<std::string> NormalizeInternetAddress(const std::string& typed);

// Why a crawl cannot start from a site address as the user typed it, or
// empty when it can: "ftp://host" names a scheme the crawl does not fetch,
// "host:0" or "host:80a" a port that is not 1 to 65535, "http://:8080/x" no
// host. The schemes accepted are the crawl's own list: http and https.
std::string CrawlAddressProblem(const std::string& typed);

// The auto-save interval, in minutes, that a new task gets.
constexpr int NEW_TASK_AUTO_SAVE_MINUTES = 3;

// A task file name as typed, with ".qbx" added when its file name has no
// extension (no "." after its first character), so that the task file and
// its task folder get different names: "tasks/shop" -> "tasks/shop.qbx",
// "tasks/.shop" -> "tasks/.shop.qbx"; "shop.old" stays as it is.
std::string WithTaskExtension(const std::string& path);

// Orders two dotted IPv4 addresses so that the start is the lower one; both
// come back in plain dotted form. Nothing when either is not an address.
struct CAddressRange {
    std::string m_strStart;
    std::string m_strEnd;
};
std::optional<CAddressRange> OrderAddressRange(const std::string& first, const std::string& last);
