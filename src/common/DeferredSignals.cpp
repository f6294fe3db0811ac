#include "common/DeferredSignals.h"

#include <pthread.h>

CDeferredSignals::CDeferredSignals() {
    sigset_t deferred;
    sigemptyset(&deferred);
    sigaddset(&deferred, SIGINT);
    sigaddset(&deferred, SIGTERM);
    sigaddset(&deferred, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &deferred, &m_previous);
}

CDeferredSignals::~CDeferredSignals() {
    pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}
