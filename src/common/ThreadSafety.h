#pragma once

// The lock rules, written where clang's thread-safety analysis reads them
// (-Wthread-safety, QUOBRIX_THREAD_SAFETY). Other compilers see nothing.
#if defined(__clang__)
#define QUOBRIX_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define QUOBRIX_THREAD_ANNOTATION(x)
#endif

// A type whose objects are locks.
#define CAPABILITY(x) QUOBRIX_THREAD_ANNOTATION(capability(x))
// A type that holds locks for its own lifetime.
#define SCOPED_CAPABILITY QUOBRIX_THREAD_ANNOTATION(scoped_lockable)

// Read and written only while the lock is held.
#define GUARDED_BY(x) QUOBRIX_THREAD_ANNOTATION(guarded_by(x))
// What the pointer points to: only while the lock is held.
#define PT_GUARDED_BY(x) QUOBRIX_THREAD_ANNOTATION(pt_guarded_by(x))

// Of a lock: the locks taken before it, or after it, while it is held.
#define ACQUIRED_BEFORE(...) QUOBRIX_THREAD_ANNOTATION(acquired_before(__VA_ARGS__))
#define ACQUIRED_AFTER(...) QUOBRIX_THREAD_ANNOTATION(acquired_after(__VA_ARGS__))

// The caller holds the locks, and still holds them on return.
#define REQUIRES(...) QUOBRIX_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
// The function takes the locks and returns holding them.
#define ACQUIRE(...) QUOBRIX_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
// The function lets go of locks the caller held.
#define RELEASE(...) QUOBRIX_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
// Takes the locks when it returns the given value.
#define TRY_ACQUIRE(...) QUOBRIX_THREAD_ANNOTATION(try_acquire_capability(__VA_ARGS__))
// Never called with the locks held: it takes them itself, or it waits for a
// thread that does.
#define EXCLUDES(...) QUOBRIX_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))

// The function returns the lock named.
#define RETURN_CAPABILITY(x) QUOBRIX_THREAD_ANNOTATION(lock_returned(x))
// The analysis cannot follow this function; its comment says why it is right.
#define NO_THREAD_SAFETY_ANALYSIS QUOBRIX_THREAD_ANNOTATION(no_thread_safety_analysis)
