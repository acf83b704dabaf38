#pragma once
// The office's processes: each started under a small guard process, in a
// process group of their own, and never outliving this program; waited for
// with a limit and killed when they don't end; their folders removed in
// the background.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <vector>

#include <sys/types.h>

namespace orvel {

// Once per program, before the first office starts: an exit that skips the
// destructors still takes the running offices along, and writing to the
// pipe of an office that has died fails the call instead of ending the
// program.
void prepareForOffices();

// Starts the program with the arguments under a small guard process, in a
// process group of their own; the program's output goes to logPath. The
// guard waits for the program and ends with its exit status, and kills the
// program as soon as the write end of its lifeline pipe closes: that end
// stays with this process, so the program never outlives it, however it
// ends, and then removes the leftovers. Returns the guard's process id (0
// when the start failed) and the lifeline to close when the program has
// ended.
pid_t spawn(const QString &program, const QStringList &args, const std::vector<QByteArray> &environment,
            const QString &logPath, const QStringList &leftovers, int &lifeline);

// The guard has ended and been reaped: it no longer has to be killed at exit.
void officeReaped(pid_t pid);

// Kills the office's guard and, with the process group, the office.
void killOffice(pid_t pid);

// Waits up to `limit` for the process to end; true when it has ended (and
// was reaped). The wait returns the moment the process ends.
bool waitForExit(pid_t pid, std::chrono::milliseconds limit);

// Gives the guard process `grace` to end, then kills its group.
void endProcess(pid_t pid, std::chrono::milliseconds grace);

// This program's environment with the entries of `extra` ("NAME=value")
// in place of its own. Read on the thread that may change the environment.
std::vector<QByteArray> environmentWith(const QStringList &extra);

// Removes the folders in a process of its own that nobody waits for: a
// removal can take a few hundred milliseconds on a busy disk, and it goes on
// when this program ends.
void removeInBackground(const QStringList &folders);

} // namespace orvel
