// The lock, the condition and the heap records that the receive thread
// shares with the sender, over POSIX threads and malloc.
//
// The shipped programs are built without exception support. The standard
// library's mutex, condition variable and new report a failure by throwing,
// and a call to any of them links that support (and the name demangler of
// its terminate handler) into the static program. These do the same with
// no throw: a lock of a default mutex by a thread that does not hold it
// cannot fail, and an allocation that fails gives null, as new (nothrow)
// did.
#pragma once

#include <pthread.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <mutex>  // std::lock_guard, which takes an RqmMutex
#include <new>    // placement new only

class RqmMutex {
public:
    RqmMutex() = default;
    RqmMutex(const RqmMutex&) = delete;
    RqmMutex& operator=(const RqmMutex&) = delete;
    ~RqmMutex() { pthread_mutex_destroy(&m_); }

    void lock() { pthread_mutex_lock(&m_); }
    void unlock() { pthread_mutex_unlock(&m_); }
    pthread_mutex_t* native() { return &m_; }

private:
    pthread_mutex_t m_ = PTHREAD_MUTEX_INITIALIZER;
};

// A deadline sec seconds and nsec nanoseconds from now on the monotonic
// clock, which setting the wall clock does not move.
inline timespec rqm_deadline_after(uint32_t sec, long nsec) {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    ts.tv_sec += static_cast<time_t>(sec) + nsec / 1000000000L;
    ts.tv_nsec += nsec % 1000000000L;
    if (ts.tv_nsec >= 1000000000L) {
        ts.tv_sec += 1;
        ts.tv_nsec -= 1000000000L;
    }
    return ts;
}

class RqmCond {
public:
    RqmCond() = default;
    RqmCond(const RqmCond&) = delete;
    RqmCond& operator=(const RqmCond&) = delete;
    ~RqmCond() { pthread_cond_destroy(&c_); }

    void notify_all() { pthread_cond_broadcast(&c_); }

    // With mu held: sleeps until done() holds.
    template <class Done>
    void wait(RqmMutex& mu, Done done) {
        while (!done())
            pthread_cond_wait(&c_, mu.native());
    }

    // With mu held: sleeps until done() holds or the monotonic deadline
    // passes, and returns done() as it last stood.
    template <class Done>
    bool wait_until(RqmMutex& mu, const timespec& deadline, Done done) {
        while (!done()) {
            if (pthread_cond_clockwait(&c_, mu.native(), CLOCK_MONOTONIC, &deadline) == ETIMEDOUT)
                return done();
        }
        return true;
    }

private:
    pthread_cond_t c_ = PTHREAD_COND_INITIALIZER;
};

// A value-initialised T on the heap, or null when there is no memory.
template <class T>
T* rqm_new() {
    void* mem = malloc(sizeof(T));
    return mem != nullptr ? new (mem) T{} : nullptr;
}

// Frees what rqm_new made; null is ignored.
template <class T>
void rqm_delete(T* p) {
    if (p == nullptr)
        return;
    p->~T();
    free(p);
}
