#include "cli/Interrupts.h"

#include <signal.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {
std::atomic<bool> g_bInterrupted{false};
struct sigaction g_oldInt {};
struct sigaction g_oldTerm {};

void OnInterrupt(int) {
    g_bInterrupted = true;
}
}  // namespace

CInterruptGuard::CInterruptGuard() {
    g_bInterrupted = false;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &g_oldInt);
    sigaction(SIGTERM, &action, &g_oldTerm);
    signal(SIGPIPE, SIG_IGN);
}

CInterruptGuard::~CInterruptGuard() {
    sigaction(SIGINT, &g_oldInt, nullptr);
    sigaction(SIGTERM, &g_oldTerm, nullptr);
}

bool CInterruptGuard::Interrupted() {
    return g_bInterrupted;
}

void CInterruptGuard::WaitForInterrupt() {
    while (!g_bInterrupted) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}
