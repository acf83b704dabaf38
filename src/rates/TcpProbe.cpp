#include "TcpProbe.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>

namespace orvel {

namespace {

struct AddrInfoDeleter {
    void operator()(addrinfo *a) const { freeaddrinfo(a); }
};

// The host as a dotted IPv4 address when it starts with a digit, looked up
// by name otherwise. A failed lookup gives INADDR_NONE, which no connection
// reaches.
in_addr_t hostAddress(const QString &host)
{
    const QByteArray h = host.toLocal8Bit();
    if (!host.isEmpty() && host.at(0).isDigit())
        return inet_addr(h.constData());
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(h.constData(), nullptr, &hints, &found) != 0 || !found)
        return INADDR_NONE;
    std::unique_ptr<addrinfo, AddrInfoDeleter> guard(found);
    return reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr.s_addr;
}

// The port as a service name, or else as a decimal number.
in_port_t portNumber(const QString &port)
{
    const QByteArray p = port.toLocal8Bit();
    servent result{};
    servent *found = nullptr;
    char buffer[1024];
    if (getservbyname_r(p.constData(), "tcp", &result, buffer, sizeof buffer, &found) == 0 && found)
        return static_cast<in_port_t>(found->s_port);
    bool ok = false;
    const uint n = port.trimmed().toUInt(&ok);
    return htons(ok && n <= 65535 ? static_cast<uint16_t>(n) : 0);
}

bool setBlocking(int fd, bool blocking)
{
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0)
        return false;
    return fcntl(fd, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK) == 0;
}

// Connects within timeoutMs: a non-blocking connect waited for with poll.
// Returns 0 or the error number.
int connectWithin(int fd, const sockaddr_in &address, int timeoutMs)
{
    if (!setBlocking(fd, false))
        return errno;
    int error = 0;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        error = errno;
        if (error == EINPROGRESS || error == EINTR) {
            error = ETIMEDOUT;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
            for (;;) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now());
                if (left.count() <= 0)
                    break;
                pollfd p{fd, POLLOUT, 0};
                const int r = ::poll(&p, 1, static_cast<int>(left.count()));
                if (r < 0 && errno == EINTR)
                    continue;
                if (r < 0) {
                    error = errno;
                    break;
                }
                if (r == 0)
                    break; // time is up
                socklen_t len = sizeof error;
                if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
                    error = errno;
                break;
            }
        }
    }
    setBlocking(fd, true);
    return error;
}

} // namespace

TcpProbe::~TcpProbe() { Close(); }

void TcpProbe::SetActive(bool active)
{
    if (!active) {
        Close();
        return;
    }
    if (Active())
        return;
    open();
    if (Active())
        connectSocket();
}

bool TcpProbe::Connect()
{
    if (!Active())
        SetActive(true);
    else if (!m_connected)
        connectSocket();
    return m_connected;
}

void TcpProbe::Close()
{
    if (m_fd < 0)
        return;
    if (m_connected)
        ::shutdown(m_fd, SHUT_RDWR);
    ::close(m_fd);
    m_fd = -1;
    m_connected = false;
}

void TcpProbe::open()
{
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    m_connected = false;
    if (m_fd < 0 && OnError)
        OnError();
}

void TcpProbe::connectSocket()
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = hostAddress(RemoteHost);
    address.sin_port = portNumber(RemotePort);
    const int error = address.sin_addr.s_addr == INADDR_NONE ? EHOSTUNREACH
                                                             : connectWithin(m_fd, address, connectTimeoutMs);
    if (error == 0) {
        m_connected = true;
        if (OnConnect)
            OnConnect();
        return;
    }
    // The socket stays open for the next attempt. A connect that timed out
    // may still be pending; dissolving the association makes the socket
    // connectable again, and if even that fails a fresh socket takes over
    // the same descriptor.
    sockaddr unspecified{};
    unspecified.sa_family = AF_UNSPEC;
    if (::connect(m_fd, &unspecified, sizeof unspecified) != 0) {
        const int fresh = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fresh >= 0) {
            ::dup2(fresh, m_fd);
            ::close(fresh);
        }
    }
    m_lastError = error;
    if (OnError)
        OnError();
}

} // namespace orvel
