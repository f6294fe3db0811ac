#pragma once

#include <chrono>
#include <functional>
#include <thread>

// Polls predicate every few milliseconds until it is true or the timeout
// passes; returns its last value. Tests use it instead of fixed sleeps.
inline bool WaitFor(const std::function<bool()>& predicate,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return predicate();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
