#include "server/ForbiddenPage.h"

#include "server/OwnPagePolicy.h"

std::string ForbiddenResponse(int port) {
    return "HTTP/1.0 403 Forbidden\r\nConnection: close\r\n" + OwnPagePolicyLine(port) +
           kOwnPageTypeLine +
           "\r\n<html><head><title>HTTP 403 Forbidden</title></head><body>"
           "<h1>Forbidden</h1><p>Quobrix shows its results at http://127.0.0.1:" +
           std::to_string(port) + "/ only.</p></body></html>\r\n";
}
