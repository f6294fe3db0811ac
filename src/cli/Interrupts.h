#pragma once

// SIGINT and SIGTERM, caught while a guard lives: they set a flag that the
// command polls, instead of ending the program. SIGPIPE is ignored from the
// first guard on, for good: a closed output then shows as writes that fail,
// which the command sees, and never ends the program before it has saved.
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
