#pragma once

#include <optional>
#include <string>
#include <string_view>

// Reading a request of the local server: only its path matters; the method,
// the version and the header lines are ignored, and every request is
// answered as a GET.

// The path between the first space and the next one ("/docs/a.html");
// nothing when a space is missing or the path is empty. Not decoded.
std::optional<std::string> RequestPath(std::string_view request);

// The value of the request's first "Host:" line (name without case), trimmed:
// "127.0.0.1:8080". Nothing when the request has no such line (an HTTP/1.0
// client need not send one).
std::optional<std::string> RequestHost(std::string_view request);

// True when a Host value names this server: "127.0.0.1", "localhost" or
// "[::1]" (without case) with the server's port. A Host without a port means
// port 80. Any other name is a page elsewhere that reaches the server through
// a name pointed at the loopback address, and must not read the results.
bool IsOwnHost(std::string_view host, int port);

// What a request names. The name is the path without its first character.
struct CRequestTarget {
    enum class Kind { ResultPage, Other };
    Kind m_kind = Kind::Other;
    int m_nPage = 0;             // a result page's number ("ResultPage007.html" -> 7)
    std::string m_strFileName;   // a result page's file name in the task directory
};
// "" and "ResultPage" + digits + ".html" (exact case, nothing after) are
// result pages; everything else is an image or a stored page.
CRequestTarget ClassifyName(std::string_view name);

// The text from the name's last "." on ("" when it has none).
std::string ExtensionOf(std::string_view name);
