#include "server/BadRequestPage.h"

#include "server/OwnPagePolicy.h"

std::string BadRequestResponse(int port) {
    return "HTTP/1.0 400 Bad Request\r\nConnection: close\r\n" + OwnPagePolicyLine(port) +
           kOwnPageTypeLine +
           "\r\n<html><head><title>HTTP 400 Bad Request</title></head><body>"
           "<h1>Bad Request</h1><p>Quobrix answers requests such as "
           "\"GET /ResultPage0.html HTTP/1.0\" only.</p></body></html>\r\n";
}
