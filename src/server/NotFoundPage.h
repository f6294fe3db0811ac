#pragma once

#include <string>

// The local server's whole 404 response, header included, pointing its
// images at the server's own port.
std::string NotFoundResponse(int port);
