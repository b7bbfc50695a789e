#pragma once

// Lock rules the compiler checks. Clang's thread-safety analysis
// (-Wthread-safety) reads these attributes: a lock type is a capability, a
// field names the lock that guards it, a function names the locks it needs
// held or takes itself. Other compilers see nothing.
#if defined(__clang__)
#define VESTRIAL_TSA(x) __attribute__((x))
#else
#define VESTRIAL_TSA(x)
#endif

#define CAPABILITY(name) VESTRIAL_TSA(capability(name))
#define SCOPED_CAPABILITY VESTRIAL_TSA(scoped_lockable)
#define GUARDED_BY(lock) VESTRIAL_TSA(guarded_by(lock))
#define PT_GUARDED_BY(lock) VESTRIAL_TSA(pt_guarded_by(lock))
#define ACQUIRED_BEFORE(...) VESTRIAL_TSA(acquired_before(__VA_ARGS__))
#define ACQUIRED_AFTER(...) VESTRIAL_TSA(acquired_after(__VA_ARGS__))
#define REQUIRES(...) VESTRIAL_TSA(requires_capability(__VA_ARGS__))
#define ACQUIRE(...) VESTRIAL_TSA(acquire_capability(__VA_ARGS__))
#define RELEASE(...) VESTRIAL_TSA(release_capability(__VA_ARGS__))
#define EXCLUDES(...) VESTRIAL_TSA(locks_excluded(__VA_ARGS__))
#define RETURN_CAPABILITY(lock) VESTRIAL_TSA(lock_returned(lock))
#define NO_THREAD_SAFETY_ANALYSIS VESTRIAL_TSA(no_thread_safety_analysis)
