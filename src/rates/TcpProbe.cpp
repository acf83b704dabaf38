#include "rates/TcpProbe.h"

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
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace orvel {

namespace {

struct AddrInfoDeleter {
    void operator()(addrinfo *a) const { freeaddrinfo(a); }
};

using Clock = std::chrono::steady_clock;

// What a lookup thread leaves for the attempt that started it. Both hold it,
// so a thread that ends after the attempt gave up writes to nothing freed.
struct LookupResult {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::optional<std::uint32_t> address;
};

// Runs the lookup on a thread of its own and waits for it until the
// deadline. The thread takes copies of the lookup and the name, so it needs
// nothing of the probe however late it ends. Returns 0 with the address,
// EHOSTUNREACH for a name not found, ETIMEDOUT when the deadline came first,
// or the reason no thread could be started.
int lookupWithin(const HostLookup &lookup, const std::string &host, Clock::time_point deadline,
                 in_addr_t &address)
{
    auto result = std::make_shared<LookupResult>();
    try {
        std::thread([result, lookup, host] {
            std::optional<std::uint32_t> found;
            try {
                found = lookup(host);
            } catch (...) {
                // A lookup that fails in any way finds nothing.
            }
            const std::lock_guard<std::mutex> lock(result->mutex);
            result->address = found;
            result->finished = true;
            result->done.notify_all();
        }).detach();
    } catch (const std::system_error &e) {
        return e.code().value() ? e.code().value() : EAGAIN;
    }
    std::unique_lock<std::mutex> lock(result->mutex);
    if (!result->done.wait_until(lock, deadline, [&result] { return result->finished; }))
        return ETIMEDOUT;
    if (!result->address)
        return EHOSTUNREACH;
    address = *result->address;
    return 0;
}

// The host as a dotted IPv4 address when it starts with a digit, looked up
// by name otherwise. A failed lookup leaves no address: the connection
// fails with the returned error.
int hostAddress(const QString &host, const HostLookup &lookup, Clock::time_point deadline, in_addr_t &address)
{
    const QByteArray h = host.toLocal8Bit();
    if (!host.isEmpty() && host.at(0).isDigit()) {
        address = inet_addr(h.constData());
        return address == INADDR_NONE ? EHOSTUNREACH : 0;
    }
    if (!lookup)
        return EHOSTUNREACH;
    return lookupWithin(lookup, h.toStdString(), deadline, address);
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

// Connects by the deadline: a non-blocking connect waited for with poll.
// Returns 0 or the error number.
int connectWithin(int fd, const sockaddr_in &address, Clock::time_point deadline)
{
    if (!setBlocking(fd, false))
        return errno;
    int error = 0;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        error = errno;
        if (error == EINPROGRESS || error == EINTR) {
            error = ETIMEDOUT;
            for (;;) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
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

std::optional<std::uint32_t> systemHostLookup(const std::string &host)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return std::nullopt;
    std::unique_ptr<addrinfo, AddrInfoDeleter> guard(found);
    return reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr.s_addr;
}

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
    // The lookup and the connection share the attempt's limit.
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(connectTimeoutMs);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = portNumber(RemotePort);
    int error = hostAddress(RemoteHost, Lookup, deadline, address.sin_addr.s_addr);
    if (error == 0)
        error = connectWithin(m_fd, address, deadline);
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
