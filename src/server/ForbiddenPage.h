#pragma once

#include <string>

// The whole 403 response, header included, for a request that names another
// host than the server itself (a page of some web site reaching the server
// through a name that it made point at 127.0.0.1).
std::string ForbiddenResponse(int port);
