#include "TcpProbe.h"

// Placeholder until the probe lands: every attempt fails.
namespace orvel {
TcpProbe::~TcpProbe() { Close(); }
void TcpProbe::SetActive(bool active)
{
    if (active && OnError)
        OnError();
}
bool TcpProbe::Connect()
{
    if (OnError)
        OnError();
    return false;
}
void TcpProbe::Close() {}
void TcpProbe::open() {}
void TcpProbe::connectSocket() {}
} // namespace orvel
