#pragma once
// A small HTTP server on 127.0.0.1 for the rate tests. It runs in its own
// thread, because the program fetches synchronously on the test's thread.
// Connections that send nothing (the connectivity probe) are simply kept.
// It answers http, or https with a certificate the test gives it, and can
// play the hostile bank: silent, dripping, cut short (see Mode).
#include "rates/HttpFetch.h"
#include "rates/RateDocument.h"

#include <QHostAddress>
#include <QMutex>
#include <QMutexLocker>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <map>
#include <memory>

namespace orveltest {

class HttpTestServer {
public:
    // How an answer goes wrong (or not).
    enum class Mode {
        Normal,    // status line, headers with Content-Length, the body, close
        Silent,    // reads the request and never answers
        Truncated, // announces the whole body, sends its first half and closes
        NoLength,  // no Content-Length: the body ends when the connection does
        Drip,      // the status line and headers at once, then the body a byte every dripMs
    };
    struct Reply {
        int status = 200;
        QByteArray body;
        QByteArray location; // a Location header for redirects
        Mode mode = Mode::Normal;
        int dripMs = 1000;
        // Texts the request (head and body) must contain; one missing gets
        // 400, as a service answers a call it does not understand.
        QList<QByteArray> required = {};
    };

    HttpTestServer() : HttpTestServer(QByteArray(), QByteArray()) {}

    // With a certificate and its private key (PEM, an EC key), the server
    // answers https: each connection starts with the TLS handshake.
    HttpTestServer(const QByteArray &certificatePem, const QByteArray &keyPem) : m_tls(!certificatePem.isEmpty())
    {
        m_context.moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(
            &m_context,
            [this, certificatePem, keyPem] {
                if (m_tls) {
                    auto *tls = new QSslServer;
                    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
                    config.setLocalCertificate(QSslCertificate(certificatePem, QSsl::Pem));
                    config.setPrivateKey(QSslKey(keyPem, QSsl::Ec, QSsl::Pem));
                    tls->setSslConfiguration(config);
                    m_server = tls;
                } else {
                    m_server = new QTcpServer;
                }
                m_server->listen(QHostAddress::LocalHost, 0);
                m_port = m_server->serverPort();
                QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this] { accept(); });
                // A TLS connection is pending only once its handshake is done.
                QObject::connect(m_server, &QTcpServer::pendingConnectionAvailable, m_server, [this] { accept(); });
            },
            Qt::BlockingQueuedConnection);
    }

    ~HttpTestServer()
    {
        QMetaObject::invokeMethod(&m_context, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    quint16 port() const { return m_port; }
    QString url(const QString &pathAndQuery) const
    {
        return QStringLiteral("%1://127.0.0.1:%2%3").arg(m_tls ? "https" : "http").arg(m_port).arg(pathAndQuery);
    }

    // What a request for `target` (path and query as sent) is answered with;
    // anything without a route gets 404.
    void route(const QByteArray &target, const Reply &reply)
    {
        QMutexLocker lock(&m_mutex);
        m_routes[target] = reply;
    }

    // The heads of the requests received so far, in order.
    QList<QByteArray> requests() const
    {
        QMutexLocker lock(&m_mutex);
        return m_requests;
    }
    // Their bodies (as much as Content-Length announced), in the same order.
    QList<QByteArray> bodies() const
    {
        QMutexLocker lock(&m_mutex);
        return m_bodies;
    }
    // How many connections were made (requests and probes alike).
    int connections() const
    {
        QMutexLocker lock(&m_mutex);
        return m_connections;
    }

private:
    void accept()
    {
        while (QTcpSocket *s = m_server->nextPendingConnection()) {
            {
                QMutexLocker lock(&m_mutex);
                ++m_connections;
            }
            QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { readFrom(s); });
            QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        }
    }

    // The value of Content-Length in a request's head, 0 without one.
    static qsizetype contentLength(const QByteArray &head)
    {
        for (const QByteArray &line : head.split('\n'))
            if (line.toLower().startsWith("content-length:"))
                return line.mid(15).trimmed().toLongLong();
        return 0;
    }

    void readFrom(QTcpSocket *s)
    {
        if (s->property("answered").toBool())
            return;
        QByteArray head = s->property("head").toByteArray() + s->readAll();
        s->setProperty("head", head);
        const qsizetype end = head.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray body = head.mid(end + 4);
        head.truncate(end);
        if (body.size() < contentLength(head))
            return; // the rest of the body is on its way
        s->setProperty("answered", true);
        const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
        const QByteArray target = requestLine.size() > 1 ? requestLine[1] : QByteArray();
        Reply reply;
        {
            QMutexLocker lock(&m_mutex);
            m_requests.append(head);
            m_bodies.append(body);
            auto it = m_routes.find(target);
            if (it != m_routes.end())
                reply = it->second;
            else
                reply = Reply{404, "not here", {}};
        }
        const QList<QByteArray> required = reply.required;
        for (const QByteArray &text : required)
            if (!head.contains(text) && !body.contains(text))
                reply = Reply{400, "missing " + text, {}};
        if (reply.mode == Mode::Silent)
            return; // the socket stays open until the client gives up
        QByteArray answer = "HTTP/1.1 " + QByteArray::number(reply.status) + " Answer\r\n"
                            + "Content-Type: application/xml; charset=windows-1251\r\n";
        if (reply.mode != Mode::NoLength)
            answer += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
        answer += "Connection: close\r\n";
        if (!reply.location.isEmpty())
            answer += "Location: " + reply.location + "\r\n";
        answer += "\r\n";
        if (reply.mode == Mode::Drip) {
            s->write(answer);
            drip(s, reply.body, reply.dripMs);
            return;
        }
        answer += reply.mode == Mode::Truncated ? reply.body.left(reply.body.size() / 2) : reply.body;
        s->write(answer);
        s->disconnectFromHost();
    }

    // Sends the body a byte at a time; the timer goes with the socket.
    static void drip(QTcpSocket *s, const QByteArray &body, int intervalMs)
    {
        auto *timer = new QTimer(s);
        auto sent = std::make_shared<qsizetype>(0);
        QObject::connect(timer, &QTimer::timeout, s, [s, timer, body, sent] {
            if (*sent >= body.size()) {
                timer->stop();
                s->disconnectFromHost();
                return;
            }
            s->write(body.mid((*sent)++, 1));
        });
        timer->start(intervalMs);
    }

    bool m_tls = false;
    QThread m_thread;
    QObject m_context;
    QTcpServer *m_server = nullptr;
    quint16 m_port = 0;
    mutable QMutex m_mutex;
    std::map<QByteArray, Reply> m_routes;
    QList<QByteArray> m_requests;
    QList<QByteArray> m_bodies;
    int m_connections = 0;
};

// The fetch limits of the hostile-server tests: short enough for a quick
// suite, long enough for a loaded machine.
inline orvel::FetchLimits shortFetchLimits()
{
    orvel::FetchLimits limits;
    limits.connectTimeoutMs = 500;
    limits.totalTimeoutMs = 500;
    limits.maxBytes = 4096;
    return limits;
}

// For a test's initTestCase(): the bank's requests go straight to the local
// servers, whatever proxy the environment names, within shortFetchLimits().
inline void askLocalServersQuickly()
{
    for (const char *proxy : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        qunsetenv(proxy);
    orvel::setRateFetchLimits(shortFetchLimits());
}

// A port on 127.0.0.1 where nothing listens: connections to it are refused.
inline quint16 closedPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const quint16 port = s.serverPort();
    s.close();
    return port;
}

} // namespace orveltest
