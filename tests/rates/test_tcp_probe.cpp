// The connectivity probe's states: open, connected, a new attempt on the same
// socket after a failure, the time limit, and closing.
#include "HttpTestServer.h"
#include "rates/TcpProbe.h"

#include <QElapsedTimer>
#include <QTest>

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

using namespace orveltest;

namespace {

struct Counts {
    int connects = 0;
    int errors = 0;
};

void wire(orvel::TcpProbe &probe, Counts &counts)
{
    probe.OnConnect = [&counts] { ++counts.connects; };
    probe.OnError = [&counts] { ++counts.errors; };
}

// A listening socket whose accept queue holds a single connection: once that
// one waits, further connection attempts get no answer until it is accepted.
class FullListener {
public:
    FullListener()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
        ::listen(m_fd, 0);
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&a), &len);
        port = ntohs(a.sin_port);
        m_filler = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(m_filler, reinterpret_cast<sockaddr *>(&a), sizeof a);
    }
    ~FullListener()
    {
        ::close(m_filler);
        ::close(m_fd);
    }
    void acceptOne()
    {
        const int c = ::accept(m_fd, nullptr, nullptr);
        if (c >= 0)
            m_accepted.push_back(c);
    }
    quint16 port = 0;

private:
    int m_fd = -1;
    int m_filler = -1;
    std::vector<int> m_accepted;
};

// A resolver that does not answer until the test lets it: each lookup waits
// at the gate, then answers 127.0.0.1. Every lookup holds the gate, so the
// gate's use count tells when the lookups' threads have let go of it.
struct Gate {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    int waiting = 0;
    int answered = 0;

    void release()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        open = true;
        opened.notify_all();
    }
    int answers()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return answered;
    }
};

orvel::HostLookup heldLookup(const std::shared_ptr<Gate> &gate)
{
    return [gate](const std::string &) -> std::optional<std::uint32_t> {
        std::unique_lock<std::mutex> lock(gate->mutex);
        ++gate->waiting;
        gate->opened.wait(lock, [&gate] { return gate->open; });
        ++gate->answered;
        return htonl(INADDR_LOOPBACK);
    };
}

// A lookup that needs `ms` to answer 127.0.0.1.
orvel::HostLookup slowLookup(int ms)
{
    return [ms](const std::string &) -> std::optional<std::uint32_t> {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return htonl(INADDR_LOOPBACK);
    };
}

// Runs `probe` in a child process whose network and mounts are its own: a
// loopback where a UDP socket on port 53 takes every query and never
// answers, named as the only name server by a resolv.conf mounted over the
// system's. Returns "skip: <why>" where the machine does not allow it, else
// "<milliseconds> <errors> <last error>" of one connection attempt to
// `host`.
QString probeWithSilentResolver(const QByteArray &host, int limitMs)
{
    int out[2];
    if (::pipe(out) != 0)
        return QStringLiteral("skip: no pipe");
    const pid_t child = ::fork();
    if (child < 0)
        return QStringLiteral("skip: no fork");
    if (child == 0) {
        ::close(out[0]);
        const auto report = [&](const std::string &line) {
            (void)!::write(out[1], line.data(), line.size());
            ::_exit(0);
        };
        if (::unshare(CLONE_NEWNS | CLONE_NEWNET) != 0)
            report("skip: cannot unshare the network and the mounts");
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            report("skip: cannot make the mounts private");
        const int ctl = ::socket(AF_INET, SOCK_DGRAM, 0);
        ifreq lo{};
        std::strcpy(lo.ifr_name, "lo");
        lo.ifr_flags = IFF_UP | IFF_LOOPBACK | IFF_RUNNING;
        if (ctl < 0 || ::ioctl(ctl, SIOCSIFFLAGS, &lo) != 0)
            report("skip: no loopback");
        const int dns = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(53);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (dns < 0 || ::bind(dns, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
            report("skip: cannot take port 53");
        char dir[] = "/tmp/orvel-resolver-XXXXXX";
        if (!::mkdtemp(dir))
            report("skip: no folder");
        const std::string resolv = std::string(dir) + "/resolv.conf";
        const std::string nss = std::string(dir) + "/nsswitch.conf";
        const auto put = [](const std::string &path, const char *text) {
            FILE *f = std::fopen(path.c_str(), "w");
            const bool ok = f && std::fputs(text, f) >= 0;
            return (f ? std::fclose(f) == 0 : false) && ok;
        };
        // The resolver would wait 30 s for its answer.
        const bool files = put(resolv, "nameserver 127.0.0.1\noptions timeout:30 attempts:1\n")
                           && put(nss, "hosts: files dns\n");
        if (!files || ::mount(resolv.c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0
            || ::mount(nss.c_str(), "/etc/nsswitch.conf", nullptr, MS_BIND, nullptr) != 0)
            report("skip: cannot mount a resolv.conf of its own");
        ::unlink(resolv.c_str()); // the mounts keep the files while the child runs
        ::unlink(nss.c_str());
        ::rmdir(dir);

        orvel::TcpProbe probe;
        Counts counts;
        wire(probe, counts);
        probe.connectTimeoutMs = limitMs;
        probe.RemoteHost = QString::fromLatin1(host);
        probe.RemotePort = QStringLiteral("80");
        QElapsedTimer clock;
        clock.start();
        probe.Connect();
        report(std::to_string(clock.elapsed()) + " " + std::to_string(counts.errors) + " "
               + std::to_string(probe.LastError()));
    }
    ::close(out[1]);
    QByteArray line;
    char buffer[256];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        line.append(buffer, n);
    ::close(out[0]);
    ::waitpid(child, nullptr, 0);
    return QString::fromLatin1(line);
}

} // namespace

class TestTcpProbe : public QObject {
    Q_OBJECT

private slots:
    void refusedThenReachable()
    {
        HttpTestServer server;
        orvel::TcpProbe probe;
        Counts counts;
        wire(probe, counts);
        probe.RemoteHost = QStringLiteral("127.0.0.1");
        probe.RemotePort = QString::number(closedPort());

        probe.SetActive(true); // opens the socket, the connection is refused
        QCOMPARE(counts.errors, 1);
        QVERIFY(probe.Active());
        QVERIFY(!probe.Connected());
        probe.SetActive(true); // open already: nothing
        QCOMPARE(counts.errors, 1);

        // The same socket connects once the server is there.
        probe.RemotePort = QString::number(server.port());
        QVERIFY(probe.Connect());
        QCOMPARE(counts.connects, 1);
        QVERIFY(probe.Connect()); // connected: nothing
        QCOMPARE(counts.connects, 1);
        QCOMPARE(counts.errors, 1);

        probe.Close();
        QVERIFY(!probe.Active());
        QVERIFY(!probe.Connected());
    }

    void connectAttemptOpensTheSocket()
    {
        HttpTestServer server;
        orvel::TcpProbe probe;
        Counts counts;
        wire(probe, counts);
        probe.RemoteHost = QStringLiteral("localhost"); // looked up by name
        probe.RemotePort = QString::number(server.port());
        QVERIFY(probe.Connect());
        QCOMPARE(counts.connects, 1);
        QCOMPARE(counts.errors, 0);
    }

    void hostNotFound()
    {
        orvel::TcpProbe probe;
        Counts counts;
        wire(probe, counts);
        probe.RemoteHost = QStringLiteral("no-such-host.invalid");
        probe.RemotePort = QStringLiteral("http"); // a service name
        QVERIFY(!probe.Connect());
        QCOMPARE(counts.errors, 1);
        QVERIFY(probe.Active());
    }

    // A connection that gets no answer gives up after the time limit; the
    // socket then connects again as soon as the server answers.
    void timeLimitThenReconnect()
    {
        FullListener listener;
        orvel::TcpProbe probe;
        Counts counts;
        wire(probe, counts);
        probe.connectTimeoutMs = 300;
        probe.RemoteHost = QStringLiteral("127.0.0.1");
        probe.RemotePort = QString::number(listener.port);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!probe.Connect());
        QVERIFY(timer.elapsed() >= 250);
        QCOMPARE(counts.errors, 1);
        QCOMPARE(probe.LastError(), ETIMEDOUT);

        listener.acceptOne();
        QVERIFY(probe.Connect());
        QCOMPARE(counts.connects, 1);
    }

    // A lookup that gets no answer ends the attempt at its limit, once per
    // attempt; when it answers after all, the probe connects at the next one.
    void lookupNeverAnswers()
    {
        HttpTestServer server;
        auto gate = std::make_shared<Gate>();
        {
            orvel::TcpProbe probe;
            Counts counts;
            wire(probe, counts);
            probe.connectTimeoutMs = 300;
            probe.Lookup = heldLookup(gate);
            probe.RemoteHost = QStringLiteral("bank.example");
            probe.RemotePort = QString::number(server.port());
            for (int attempt = 1; attempt <= 2; ++attempt) {
                QElapsedTimer clock;
                clock.start();
                QVERIFY(!probe.Connect());
                QVERIFY2(clock.elapsed() >= 250 && clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
                QCOMPARE(counts.errors, attempt);
                QCOMPARE(probe.LastError(), ETIMEDOUT);
                QVERIFY(probe.Active());
                QVERIFY(!probe.Connected());
            }
            QCOMPARE(gate->answers(), 0);
            // The abandoned lookups answer while the probe lives; they change nothing.
            gate->release();
            QTRY_COMPARE(gate->answers(), 2);
            QCOMPARE(counts.errors, 2);
            QCOMPARE(counts.connects, 0);
            // A resolver that answers again: the same socket connects.
            probe.Lookup = slowLookup(0);
            QVERIFY(probe.Connect());
            QCOMPARE(counts.connects, 1);
        }
        // Only the test holds the gate now: the lookup threads have ended.
        QTRY_COMPARE(gate.use_count(), 1L);
    }

    // A lookup that answers after its probe is gone touches nothing of it;
    // one that never answers is left waiting until the test ends.
    void lookupOutlivesProbe()
    {
        auto late = std::make_shared<Gate>();
        auto never = std::make_shared<Gate>();
        for (const auto &gate : {late, never}) {
            auto probe = std::make_unique<orvel::TcpProbe>();
            Counts counts;
            wire(*probe, counts);
            probe->connectTimeoutMs = 100;
            probe->Lookup = heldLookup(gate);
            probe->RemoteHost = QStringLiteral("bank.example");
            probe->RemotePort = QStringLiteral("80");
            QVERIFY(!probe->Connect());
            QCOMPARE(counts.errors, 1);
            probe.reset();
        }
        late->release();
        QTRY_COMPARE(late->answers(), 1);
        QTRY_COMPARE(late.use_count(), 1L);
        QCOMPARE(never->answers(), 0);
    }

    // The lookup and the connection share one limit: a slow answer leaves
    // the connection only the rest of it.
    void lookupAndConnectShareTheLimit()
    {
        FullListener listener;
        orvel::TcpProbe probe;
        Counts counts;
        wire(probe, counts);
        probe.connectTimeoutMs = 800;
        probe.Lookup = slowLookup(600);
        probe.RemoteHost = QStringLiteral("bank.example");
        probe.RemotePort = QString::number(listener.port);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!probe.Connect());
        // 800 ms; a limit of its own for each would take 1400.
        QVERIFY2(clock.elapsed() >= 750 && clock.elapsed() < 1200, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(probe.LastError(), ETIMEDOUT);
        QCOMPARE(counts.errors, 1);
    }

    // The system's resolver gets no answer: the lookup is given up with the
    // attempt's limit, long before the resolver's own 30 s.
    void silentResolver()
    {
        const QString result = probeWithSilentResolver("bank.example", 300);
        if (result.startsWith(QLatin1String("skip: ")))
            QSKIP(qPrintable(result));
        const QStringList parts = result.split(QLatin1Char(' '));
        QCOMPARE(parts.size(), 3);
        QVERIFY2(parts[0].toInt() >= 250 && parts[0].toInt() < 2000, qPrintable(result));
        QCOMPARE(parts[1], QStringLiteral("1")); // OnError once
        QCOMPARE(parts[2].toInt(), ETIMEDOUT);
    }

    // An error raised by a handler leaves the attempt and the probe's state
    // stays consistent.
    void handlerErrorsPassThrough()
    {
        orvel::TcpProbe probe;
        probe.OnError = [] { throw std::runtime_error("handler failed"); };
        probe.RemoteHost = QStringLiteral("127.0.0.1");
        probe.RemotePort = QString::number(closedPort());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, probe.SetActive(true));
        QVERIFY(probe.Active());
        QVERIFY(!probe.Connected());
    }
};

QTEST_GUILESS_MAIN(TestTcpProbe)
#include "test_tcp_probe.moc"
