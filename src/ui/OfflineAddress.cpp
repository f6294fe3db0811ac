#include "ui/OfflineAddress.h"

#include <algorithm>
#include <optional>

#include "engine/Url.h"

namespace {
// "host:80/a.html" -> "host/a.html" for http: the stored copies of a site on
// its scheme's default port lie in the folder of the host alone, and the view
// shows the address its result rows link to.
void DropDefaultPort(std::string& rest, const std::string& scheme) {
    const size_t hostEnd = std::min(rest.find_first_of("/?#"), rest.size());
    const std::string hostText = rest.substr(0, hostEnd);
    const size_t at = hostText.rfind('@');
    const size_t colon = hostText.find(':', at == std::string::npos ? 0 : at + 1);
    const std::optional<CHostPort> host = ParseHostText(hostText);
    if (colon != std::string::npos && host && host->m_nPort == DefaultPort(scheme)) {
        rest.erase(colon, hostEnd - colon);
    }
}
}  // namespace

std::string OfflineAddress(const std::string& address, const std::string& serverRoot) {
    if (address.rfind(serverRoot, 0) == 0) {
        return address;
    }
    std::string rest = address;
    std::string scheme = "http";  // what an address without one is fetched with
    const size_t schemeEnd = rest.find("://");
    if (schemeEnd != std::string::npos) {
        scheme = rest.substr(0, schemeEnd);
        rest.erase(0, schemeEnd + 3);
    }
    rest.erase(0, rest.find_first_not_of('/'));
    if (rest.empty()) {
        return rest;
    }
    DropDefaultPort(rest, scheme);
    if (rest.find('/') == std::string::npos) {
        rest += "/index.html";
    } else if (rest.back() == '/') {
        rest += "index.html";
    }
    return serverRoot + rest;
}
