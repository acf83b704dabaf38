#include "office/Watchdog.h"

#include "office/OfficeProcess.h"

namespace orvel {

Watchdog::Watchdog(pid_t pid, std::chrono::milliseconds limit)
    : m_thread([this, pid, limit] {
          std::unique_lock<std::mutex> lock(m_mutex);
          if (!m_cv.wait_for(lock, limit, [this] { return m_done; }))
              killOffice(pid);
      })
{
}

Watchdog::~Watchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done = true;
    }
    m_cv.notify_all();
    m_thread.join();
}

} // namespace orvel
