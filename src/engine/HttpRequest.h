#pragma once

#include <string>
#include <string_view>

// What a request needs besides its URL, copied from the task and the
// application options by the caller.
struct CRequestContext {
    bool m_bUseProxy = false;
    std::string m_strProxyUser;           // the proxy account; no Proxy-Authorization when empty
    std::string m_strProxyAuthorization;  // Base64 of "user:password" for the proxy
    std::string m_strAgent;               // sent as User-Agent
    std::string m_strCurrentSite;         // the Host line's value, as written: "host:8080"
    std::string m_strSiteAuthorization;   // Base64 site credential, or empty
    std::string m_strAuthHost;            // the site that credential belongs to: "Host:8080"
};

struct CUrlParts;

// The path and the query as a server expects them: "/search?q=a%20b", no
// fragment. Encoded after splitting, so the splitter's limits apply to the
// URL as written, never to its longer encoded form.
std::string PathAndQuery(const CUrlParts& parts);

// The whole HTTP/1.0 GET request for url, every line ending "\r\n":
//   "GET /search?q=a%20b HTTP/1.0", "Host: host:8080"       without proxy
//   "GET http://host:8080/search?q=a%20b HTTP/1.0",
//   "Proxy-Authorization: Basic ..." (when a proxy account is set)   through the proxy
// then "Authorization: Basic ..." when the URL's host text equals m_strAuthHost
// (ignoring case), "Accept: */*", "User-Agent: ..." and an empty line.
// On the request line a space, a control character or a byte above 127 goes
// as "%XX" ("/café.html" -> "/caf%C3%A9.html"), so servers read the target
// whole; every other byte, "%" included, goes as written. Header lines are
// sent as they are. A fragment is never sent. Empty when the URL cannot be
// split or holds a line break or zero byte, or when the host (the URL's, or the
// Host line's) holds a space or a control character: such a request would
// break apart. A credential or an agent holding CR, LF or a zero byte is left
// out with its line, so the page is still asked for, without it.
std::string BuildRequest(std::string_view url, const CRequestContext& context);
