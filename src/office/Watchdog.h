#pragma once
// Kills the office when a call into it has not returned in time: armed for
// the life of the object.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <sys/types.h>

namespace orvel {

class Watchdog {
public:
    Watchdog(pid_t pid, std::chrono::milliseconds limit);
    ~Watchdog();
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_done = false;
    std::thread m_thread; // last: starts after the members it uses
};

} // namespace orvel
