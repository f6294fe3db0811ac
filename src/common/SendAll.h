#pragma once

#include <sys/types.h>

#include <cstddef>

// Sends a whole buffer on a connected socket.
// The first send offers the whole buffer; if it fails, the result is -1 and
// the socket stays open. While the rest has not gone out, further sends offer
// the remainder; if one of them fails, the socket is shut down in both
// directions and closed (the caller must not close it again) and the result
// is -1. Otherwise the result is the number of bytes sent.
// Called only by the thread that owns the socket. pClosed, when given, tells
// whether the socket was closed, so the caller never closes it twice.
ssize_t SendAll(int sock, const char* bytes, size_t length, bool* pClosed = nullptr);
