#pragma once

#include <signal.h>

// Holds back SIGINT, SIGTERM and SIGHUP on the calling thread while the
// object lives; one that arrives meanwhile is delivered when it goes. A write
// that must not be cut short (a temporary file renamed into place) runs
// under one. Only the calling thread is covered: use it where no other
// thread could take the signal instead.
class CDeferredSignals {
public:
    CDeferredSignals();
    ~CDeferredSignals();
    CDeferredSignals(const CDeferredSignals&) = delete;
    CDeferredSignals& operator=(const CDeferredSignals&) = delete;

private:
    sigset_t m_previous{};
};
