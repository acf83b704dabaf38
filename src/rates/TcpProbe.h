#pragma once
// The connectivity probe: an IPv4 TCP socket that only tests whether the
// bank's server can be reached. Blocking connect with a time limit; no data
// ever passes over it.
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orvel {

// Looks a host name up: its IPv4 address in network byte order, or nothing
// when the name is not found.
using HostLookup = std::function<std::optional<std::uint32_t>(const std::string &host)>;

// The system's resolver (getaddrinfo), which sets no time limit of its own.
std::optional<std::uint32_t> systemHostLookup(const std::string &host);

class TcpProbe {
public:
    QString RemoteHost;
    QString RemotePort;
    // One connection attempt, the name lookup included, ends within this.
    int connectTimeoutMs = 5000;
    // How RemoteHost is looked up when it is a name. The lookup runs on a
    // thread of its own; when the limit passes first, the attempt fails with
    // ETIMEDOUT and leaves the thread to end by itself.
    HostLookup Lookup = systemHostLookup;
    std::function<void()> OnConnect;
    std::function<void()> OnError;

    TcpProbe() = default;
    ~TcpProbe(); // shuts a connected socket down, closes an open one
    TcpProbe(const TcpProbe &) = delete;
    TcpProbe &operator=(const TcpProbe &) = delete;

    bool Active() const { return m_fd >= 0; }
    bool Connected() const { return m_connected; }
    void SetActive(bool active);
    bool Connect(); // a connection attempt; returns Connected()
    void Close();
    int LastError() const { return m_lastError; } // errno of the last failed connect

private:
    void open();
    void connectSocket();
    int m_fd = -1;
    bool m_connected = false;
    int m_lastError = 0;
};

} // namespace orvel
