#pragma once

#include <atomic>

// A number or flag that several threads read and write without a lock: the
// task's properties (changed by the user while workers run), its state and
// counters. Behaves like a plain value and stays copyable, so the task's
// fields can be copied as a whole for a snapshot.
template <typename T>
class AtomicValue {
public:
    AtomicValue() : m_value(T{}) {}
    AtomicValue(T value) : m_value(value) {}  // NOLINT: implicit like the plain value
    AtomicValue(const AtomicValue& other) : m_value(other.Load()) {}
    AtomicValue& operator=(const AtomicValue& other) {
        Store(other.Load());
        return *this;
    }
    AtomicValue& operator=(T value) {
        Store(value);
        return *this;
    }

    operator T() const { return Load(); }  // NOLINT: reads like the plain value
    [[nodiscard]] T Load() const { return m_value.load(); }
    void Store(T value) { m_value.store(value); }

    T operator++() { return m_value.fetch_add(1) + 1; }
    T operator--() { return m_value.fetch_sub(1) - 1; }
    T operator+=(T delta) { return m_value.fetch_add(delta) + delta; }

private:
    std::atomic<T> m_value;
};
