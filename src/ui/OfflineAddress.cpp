#include "ui/OfflineAddress.h"

std::string OfflineAddress(const std::string& address, const std::string& serverRoot) {
    if (address.rfind(serverRoot, 0) == 0) {
        return address;
    }
    std::string rest = address;
    const size_t scheme = rest.find("://");
    if (scheme != std::string::npos) {
        rest.erase(0, scheme + 3);
    }
    rest.erase(0, rest.find_first_not_of('/'));
    if (rest.empty()) {
        return rest;
    }
    if (rest.find('/') == std::string::npos) {
        rest += "/index.html";
    } else if (rest.back() == '/') {
        rest += "index.html";
    }
    return serverRoot + rest;
}
