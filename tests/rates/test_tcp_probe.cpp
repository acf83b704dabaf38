// The connectivity probe's states: open, connected, a new attempt on the same
// socket after a failure, the time limit, and closing.
#include "HttpTestServer.h"
#include "TcpProbe.h"

#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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
