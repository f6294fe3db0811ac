#pragma once

#include <string>

// The whole 400 response, header included, for a request whose request line
// cannot be read ("GET /x" without a version, bytes that are no request).
std::string BadRequestResponse(int port);
