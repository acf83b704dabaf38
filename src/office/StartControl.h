#pragma once
// What another thread needs to abandon a start that runs on its own: the
// flag the start looks at, and the guard process to kill meanwhile (0 when
// there is none: it is reaped only with the mutex held, so a killed id is
// never one that was reaped and given to another process).
#include <atomic>
#include <mutex>

#include <sys/types.h>

namespace orvel {

class StartControl {
public:
    std::atomic<bool> abandoned{false};
    std::mutex mutex;
    pid_t guard = 0;

    // Another thread gives the start up: its guard is killed at once.
    void abandon();
    // The guard another thread may kill from now on (0: none).
    void publish(pid_t pid);
    // Whether the guard `pid` has ended; reaped with the mutex held.
    bool reap(pid_t pid, int &status);
};

} // namespace orvel
