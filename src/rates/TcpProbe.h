#pragma once
// The connectivity probe: an IPv4 TCP socket that only tests whether the
// bank's server can be reached. Blocking connect with a time limit; no data
// ever passes over it.
#include <QString>

#include <functional>

namespace orvel {

class TcpProbe {
public:
    QString RemoteHost;
    QString RemotePort;
    int connectTimeoutMs = 5000;
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
