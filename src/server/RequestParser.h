#pragma once

#include <optional>
#include <string>
#include <string_view>

// Reading a request of the local server: only its path matters; the method,
// the version and the header lines are ignored, and every request is
// answered as a GET. Lines may end in CR LF or in a bare LF.

// Where the request's header ends: the position after its blank line
// ("GET / HTTP/1.0\r\n\r\n" or "GET / HTTP/1.0\n\n"); npos while it has not
// arrived whole.
size_t RequestHeaderEnd(std::string_view received);

// The path of the request line, between its first space and the next one
// ("/docs/a.html"), as sent. Nothing for a malformed request line: a space
// missing ("GET /x"), an empty path, or a path that does not begin with "/".
std::optional<std::string> RequestPath(std::string_view request);

// The text with every "%XX" (two hexadecimal digits) turned into its byte:
// "sp%20ace.html" -> "sp ace.html". A "%" without two digits stays as it is.
// Nothing when a decoded byte would be a "/" or a zero byte ("a%2Fb"), which
// must never split or cut a name.
std::optional<std::string> PercentDecoded(std::string_view text);

// A name that names a host alone ("host", "host?x") with the "/" that begins
// its path ("host/", "host/?x"); other names unchanged. Both name the same
// stored copy, the host's index.html.
std::string WithHostSlash(std::string_view name);

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
