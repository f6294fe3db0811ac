#include "server/OwnPagePolicy.h"

std::string OwnPagePolicyLine(int port) {
    return "Content-Security-Policy: default-src 'none'; img-src 'self' http://127.0.0.1:" +
           std::to_string(port) + "; style-src 'unsafe-inline'\r\n";
}
