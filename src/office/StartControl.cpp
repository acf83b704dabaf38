#include "office/StartControl.h"

#include "office/OfficeProcess.h"

#include <sys/wait.h>

namespace orvel {

void StartControl::abandon()
{
    abandoned = true;
    std::lock_guard<std::mutex> lock(mutex);
    if (guard)
        killOffice(guard);
}

void StartControl::publish(pid_t pid)
{
    std::lock_guard<std::mutex> lock(mutex);
    guard = pid;
}

bool StartControl::reap(pid_t pid, int &status)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (::waitpid(pid, &status, WNOHANG) != pid)
        return false;
    guard = 0;
    return true;
}

} // namespace orvel
