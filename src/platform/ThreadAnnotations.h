// Lock contract attributes that clang's -Wthread-safety checks at compile time;
// other compilers see nothing. A member written GUARDED_BY(lock_) may be used
// only while lock_ is held; a function marked REQUIRES(lock_) may be called
// only by a holder of lock_.
#pragma once

#if defined(__clang__)
#define GATE_THREAD_ATTRIBUTE(x) __attribute__((x))
#else
#define GATE_THREAD_ATTRIBUTE(x)
#endif

#define CAPABILITY(x) GATE_THREAD_ATTRIBUTE(capability(x))
#define SCOPED_CAPABILITY GATE_THREAD_ATTRIBUTE(scoped_lockable)
#define GUARDED_BY(x) GATE_THREAD_ATTRIBUTE(guarded_by(x))
#define PT_GUARDED_BY(x) GATE_THREAD_ATTRIBUTE(pt_guarded_by(x))
#define ACQUIRED_BEFORE(...) GATE_THREAD_ATTRIBUTE(acquired_before(__VA_ARGS__))
#define ACQUIRED_AFTER(...) GATE_THREAD_ATTRIBUTE(acquired_after(__VA_ARGS__))
#define REQUIRES(...) GATE_THREAD_ATTRIBUTE(requires_capability(__VA_ARGS__))
#define REQUIRES_SHARED(...) GATE_THREAD_ATTRIBUTE(requires_shared_capability(__VA_ARGS__))
#define ACQUIRE_SHARED(...) GATE_THREAD_ATTRIBUTE(acquire_shared_capability(__VA_ARGS__))
#define RELEASE_SHARED(...) GATE_THREAD_ATTRIBUTE(release_shared_capability(__VA_ARGS__))
#define RELEASE_GENERIC(...) GATE_THREAD_ATTRIBUTE(release_generic_capability(__VA_ARGS__))
#define ACQUIRE(...) GATE_THREAD_ATTRIBUTE(acquire_capability(__VA_ARGS__))
#define RELEASE(...) GATE_THREAD_ATTRIBUTE(release_capability(__VA_ARGS__))
#define TRY_ACQUIRE(...) GATE_THREAD_ATTRIBUTE(try_acquire_capability(__VA_ARGS__))
#define EXCLUDES(...) GATE_THREAD_ATTRIBUTE(locks_excluded(__VA_ARGS__))
#define RETURN_CAPABILITY(x) GATE_THREAD_ATTRIBUTE(lock_returned(x))
#define NO_THREAD_SAFETY_ANALYSIS GATE_THREAD_ATTRIBUTE(no_thread_safety_analysis)
