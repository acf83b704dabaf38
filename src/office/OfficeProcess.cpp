#include "office/OfficeProcess.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace orvel {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Every office process that is running, so that an exit that skips the
// destructors still takes them along. Never destroyed: the exit hook may run
// after the program's other statics are gone.
std::mutex &processMutex()
{
    static auto *m = new std::mutex;
    return *m;
}
std::set<pid_t> &runningOffices()
{
    static auto *s = new std::set<pid_t>;
    return *s;
}

void killRunningOffices()
{
    std::lock_guard<std::mutex> lock(processMutex());
    for (pid_t pid : runningOffices()) {
        killOffice(pid);
        ::waitpid(pid, nullptr, 0);
    }
    runningOffices().clear();
}

// The pointers an exec call takes: to each string of `store`, then a null.
// The strings stay where they are as long as `store` is left alone.
std::vector<char *> execVector(std::vector<QByteArray> &store)
{
    std::vector<char *> pointers;
    for (QByteArray &s : store)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The command that removes the paths and all below them.
std::vector<QByteArray> removalCommand(const QStringList &paths)
{
    std::vector<QByteArray> command{QByteArray("rm"), QByteArray("-rf"), QByteArray("--")};
    for (const QString &p : paths)
        command.push_back(QFile::encodeName(p));
    return command;
}

// The guard's SIGCHLD handler: it only has to interrupt the wait.
void wakeGuard(int) {}

// What the office's process runs, made before the fork: after it only
// async-signal-safe calls may follow.
struct OfficeExec {
    char *const *argv;
    char *const *envp;
    const char *log;
};

// The office, in the guard's child: its signals as a program expects them,
// no input, its output in the log, and nothing else of this program open.
[[noreturn]] void execOffice(const OfficeExec &office, const sigset_t &open)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL); // dies with its guard
    ::sigprocmask(SIG_SETMASK, &open, nullptr);
    struct sigaction dfl = {};
    dfl.sa_handler = SIG_DFL;
    ::sigaction(SIGCHLD, &dfl, nullptr);
    ::sigaction(SIGPIPE, &dfl, nullptr); // ignored in this program only
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(office.log, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in >= 0)
        ::dup2(in, 0);
    if (out >= 0) {
        ::dup2(out, 1);
        ::dup2(out, 2);
    }
    ::close_range(3, ~0U, 0);
    ::execve(office.argv[0], office.argv, office.envp);
    ::_exit(127);
}

// The guard's watch: it ends with the office's exit status, or kills the
// office when the lifeline (descriptor 3) closes and removes the leftovers.
[[noreturn]] void watchOffice(pid_t office, const sigset_t &open, char *const *rmArgv, char *const *envp)
{
    for (;;) {
        int status = 0;
        if (::waitpid(office, &status, WNOHANG) == office)
            ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
        struct pollfd lifelineEnd = {3, POLLIN, 0};
        // Returns on the office's SIGCHLD or when the lifeline closes.
        if (::ppoll(&lifelineEnd, 1, nullptr, &open) > 0) {
            char c;
            if (::read(3, &c, 1) <= 0) {
                ::kill(office, SIGKILL);
                ::waitpid(office, nullptr, 0);
                ::execve("/bin/rm", rmArgv, envp);
                ::_exit(137);
            }
        }
    }
}

// The guard, in the child of this program's fork. Only async-signal-safe
// calls from here on.
[[noreturn]] void runGuard(pid_t parent, int lifelineEnd, const OfficeExec &officeExec, char *const *rmArgv)
{
    struct sigaction wake = {};
    wake.sa_handler = wakeGuard;
    ::sigaction(SIGCHLD, &wake, nullptr);
    sigset_t childBlocked, open;
    sigemptyset(&open);
    sigemptyset(&childBlocked);
    sigaddset(&childBlocked, SIGCHLD);
    ::sigprocmask(SIG_SETMASK, &childBlocked, nullptr);
    // The guard outlives this program on purpose: it is the one that
    // cleans up after it.
    ::setpgid(0, 0);
    if (::getppid() != parent)
        ::_exit(127);
    // The read end of the lifeline becomes descriptor 3; nothing else of
    // this program stays open (its display, other offices' lifelines).
    if (lifelineEnd != 3)
        ::dup2(lifelineEnd, 3);
    ::close_range(4, ~0U, 0);

    const pid_t office = ::fork();
    if (office < 0)
        ::_exit(127);
    if (office == 0)
        execOffice(officeExec, open);
    watchOffice(office, open, rmArgv, officeExec.envp);
}

} // namespace

void prepareForOffices()
{
    static std::once_flag exitHook;
    std::call_once(exitHook, [] {
        std::atexit(killRunningOffices);
        // Writing to the pipe of an office that has died must fail the
        // call, not end this program with SIGPIPE.
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGPIPE, &ignore, nullptr);
    });
}

pid_t spawn(const QString &program, const QStringList &args, const std::vector<QByteArray> &environment,
            const QString &logPath, const QStringList &leftovers, int &lifeline)
{
    // What the office leaves behind when it is killed: removed by the guard
    // when this program could not do it.
    std::vector<QByteArray> rmStore = removalCommand(leftovers);
    const std::vector<char *> rmArgv = execVector(rmStore);

    std::vector<QByteArray> argStore{QFile::encodeName(program)};
    for (const QString &a : args)
        argStore.push_back(a.toLocal8Bit());
    const std::vector<char *> argv = execVector(argStore);
    std::vector<QByteArray> envStore = environment;
    const std::vector<char *> envp = execVector(envStore);
    const QByteArray log = QFile::encodeName(logPath);

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return 0;
    const pid_t parent = ::getpid();
    const pid_t guard = ::fork();
    if (guard < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return 0;
    }
    if (guard == 0)
        runGuard(parent, pipeEnds[0], OfficeExec{argv.data(), envp.data(), log.constData()}, rmArgv.data());
    ::close(pipeEnds[0]);
    lifeline = pipeEnds[1];
    std::lock_guard<std::mutex> lock(processMutex());
    runningOffices().insert(guard);
    return guard;
}

void officeReaped(pid_t pid)
{
    std::lock_guard<std::mutex> lock(processMutex());
    runningOffices().erase(pid);
}

void killOffice(pid_t pid)
{
    // The office runs in a process group of its own: take helpers along.
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
}

bool waitForExit(pid_t pid, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    const int handle = int(::syscall(SYS_pidfd_open, pid, 0));
    for (;;) {
        const pid_t r = ::waitpid(pid, nullptr, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD)) {
            if (handle >= 0)
                ::close(handle);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            if (handle >= 0)
                ::close(handle);
            return false;
        }
        if (handle >= 0) {
            // Readable when the process has ended.
            struct pollfd ended = {handle, POLLIN, 0};
            ::poll(&ended, 1, int(std::min<long long>(left.count(), 1000)));
        } else {
            std::this_thread::sleep_for(2ms);
        }
    }
}

void endProcess(pid_t pid, std::chrono::milliseconds grace)
{
    if (!waitForExit(pid, grace)) {
        killOffice(pid);
        waitForExit(pid, 5000ms);
    }
    // Whatever is left of the group (an office whose guard was killed).
    ::kill(-pid, SIGKILL);
}

std::vector<QByteArray> environmentWith(const QStringList &extra)
{
    std::vector<QByteArray> env;
    QList<QByteArray> overridden;
    for (const QString &e : extra)
        overridden << (e.section(QLatin1Char('='), 0, 0) + QLatin1Char('=')).toLocal8Bit();
    for (char **e = environ; *e; ++e) {
        const QByteArray entry(*e);
        bool replaced = false;
        for (const QByteArray &o : overridden)
            replaced = replaced || entry.startsWith(o);
        if (!replaced)
            env.push_back(entry);
    }
    for (const QString &e : extra)
        env.push_back(e.toLocal8Bit());
    return env;
}

void removeInBackground(const QStringList &folders)
{
    std::vector<QByteArray> store = removalCommand(folders);
    const std::vector<char *> argv = execVector(store);
    const pid_t child = ::fork();
    if (child == 0) {
        // The removal is the child of this child, which ends at once: init
        // reaps it, and it is nobody's zombie.
        ::setsid();
        if (::fork() == 0) {
            const int null = ::open("/dev/null", O_RDWR);
            if (null >= 0) {
                ::dup2(null, 0);
                ::dup2(null, 1);
                ::dup2(null, 2);
            }
            ::close_range(3, ~0U, 0);
            ::execve("/bin/rm", argv.data(), environ);
        }
        ::_exit(0);
    }
    if (child > 0)
        ::waitpid(child, nullptr, 0);
    else
        for (const QString &f : folders)
            QDir(f).removeRecursively();
}

} // namespace orvel
