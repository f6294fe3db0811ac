#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string_view>

// Sends a whole buffer on a connected socket.
// The first send offers the whole buffer; if it fails, the result is -1 and
// the socket stays open. While the rest has not gone out, further sends offer
// the remainder; if one of them fails, the socket is shut down in both
// directions and closed (the caller must not close it again) and the result
// is -1. Otherwise the result is the number of bytes sent.
// Called only by the thread that owns the socket. pClosed, when given, tells
// whether the socket was closed, so the caller never closes it twice.
// fnGoOn, when given, bounds the waiting on a socket whose sends time out
// (SO_SNDTIMEO): a send that timed out is offered again, and the remainder
// after a short send is offered, only while fnGoOn() is true; otherwise that
// send counts as failed. Without it a send that timed out fails at once.
ssize_t SendAll(int sock, const char* bytes, size_t length, bool* pClosed = nullptr,
                const std::function<bool()>& fnGoOn = nullptr);

// Something that sends a whole buffer on one connection; false when it could not.
using SendFunction = std::function<bool(std::string_view bytes)>;
