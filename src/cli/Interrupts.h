#pragma once

// SIGINT and SIGTERM, caught while a guard lives: they set a flag that the
// command polls, instead of ending the program.
class CInterruptGuard {
public:
    CInterruptGuard();
    ~CInterruptGuard();
    CInterruptGuard(const CInterruptGuard&) = delete;
    CInterruptGuard& operator=(const CInterruptGuard&) = delete;

    static bool Interrupted();
    // Sleeps until a signal arrives.
    static void WaitForInterrupt();
};
