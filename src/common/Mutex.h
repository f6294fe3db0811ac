#pragma once

#include <array>
#include <cstddef>
#include <mutex>

#include "common/ThreadSafety.h"

// A std::mutex that clang's thread-safety analysis knows as a lock. It keeps
// the standard names, so std::lock and the standard lock types take it too;
// the core holds it through CLock and CUniqueLock, which the analysis follows.
class CAPABILITY("mutex") CMutex {
public:
    CMutex() = default;
    CMutex(const CMutex&) = delete;
    CMutex& operator=(const CMutex&) = delete;

    void lock() ACQUIRE() { m_cs.lock(); }
    void unlock() RELEASE() { m_cs.unlock(); }
    bool try_lock() TRY_ACQUIRE(true) { return m_cs.try_lock(); }

private:
    std::mutex m_cs;
};

// Holds one lock for its scope, or several taken together as std::scoped_lock
// takes them (std::lock: in no fixed order, without deadlock).
class SCOPED_CAPABILITY CLock {
public:
    explicit CLock(CMutex& cs) ACQUIRE(cs) : m_held{&cs}, m_nHeld(1) { cs.lock(); }
    // Several at once; the analysis cannot see into std::lock.
    CLock(CMutex& a, CMutex& b) ACQUIRE(a, b) NO_THREAD_SAFETY_ANALYSIS {
        std::lock(a, b);
        m_held = {&a, &b};
        m_nHeld = 2;
    }
    CLock(CMutex& a, CMutex& b, CMutex& c, CMutex& d, CMutex& e)
        ACQUIRE(a, b, c, d, e) NO_THREAD_SAFETY_ANALYSIS {
        std::lock(a, b, c, d, e);
        m_held = {&a, &b, &c, &d, &e};
        m_nHeld = 5;
    }
    ~CLock() RELEASE() {
        for (size_t i = 0; i < m_nHeld; ++i) {
            m_held[i]->unlock();
        }
    }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

private:
    std::array<CMutex*, 5> m_held{};
    size_t m_nHeld = 0;
};

// Holds one lock for its scope, and may let go of it and take it again
// meanwhile.
class SCOPED_CAPABILITY CUniqueLock {
public:
    explicit CUniqueLock(CMutex& cs) ACQUIRE(cs) : m_cs(cs) { cs.lock(); }
    ~CUniqueLock() RELEASE() {
        if (m_bHeld) {
            m_cs.unlock();
        }
    }
    CUniqueLock(const CUniqueLock&) = delete;
    CUniqueLock& operator=(const CUniqueLock&) = delete;

    void lock() ACQUIRE() {
        m_cs.lock();
        m_bHeld = true;
    }
    void unlock() RELEASE() {
        m_cs.unlock();
        m_bHeld = false;
    }

private:
    CMutex& m_cs;
    bool m_bHeld = true;
};

// Holds every lock of an array for its scope, taken one after another in the
// array's order. The analysis does not see these locks: it cannot follow a
// lock taken in a loop.
template <size_t N>
class CLockEach {
public:
    explicit CLockEach(std::array<CMutex, N>& locks) {
        for (size_t i = 0; i < N; ++i) {
            m_held[i] = std::unique_lock(locks[i]);
        }
    }

private:
    std::array<std::unique_lock<CMutex>, N> m_held;
};
