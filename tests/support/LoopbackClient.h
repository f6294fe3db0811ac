#pragma once

#include <chrono>
#include <string>

// A plain client of the servers tests run on loopback.

// A socket connected to 127.0.0.1:port; -1 when the connection is refused.
int ConnectLoopback(int port);

// Reads until the server closes, or until limit has passed; stops early once
// until is found (when given).
std::string ReadAnswer(int sock, std::chrono::milliseconds limit = std::chrono::seconds(10),
                       const std::string& until = "");
