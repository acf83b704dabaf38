#include "office/SpareOffice.h"

namespace orvel {

SpareOffice::SpareOffice(std::unique_ptr<Maker> maker, std::chrono::milliseconds idleLimit)
    : m_maker(std::move(maker))
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(int(idleLimit.count()));
    QObject::connect(&m_idle, &QTimer::timeout, [this] {
        m_maker->end();
        m_rested = true;
    });
}

SpareOffice::~SpareOffice() { end(); }

void SpareOffice::setEnabled(bool on)
{
    m_enabled = on;
    if (on)
        beginWhenWanted();
    else
        end();
}

void SpareOffice::setWanted(SpareAsker asker, bool wanted)
{
    if (wanted) {
        if (m_askers.insert(asker).second)
            m_rested = false;
        beginWhenWanted();
    } else {
        m_askers.erase(asker);
        if (m_askers.empty())
            end();
    }
}

std::unique_ptr<SpreadsheetApp> SpareOffice::take()
{
    m_idle.stop();
    m_inRun = true;
    if (!m_maker->exists())
        return nullptr;
    try {
        return m_maker->take();
    } catch (...) {
        // The start failed: no office of the run will quit.
        m_inRun = false;
        throw;
    }
}

void SpareOffice::runQuit()
{
    m_inRun = false;
    m_rested = false;
    beginWhenWanted();
}

bool SpareOffice::exists() const { return m_maker->exists(); }

bool SpareOffice::ready() const { return m_maker->ready(); }

void SpareOffice::end()
{
    m_idle.stop();
    m_maker->end();
}

void SpareOffice::beginWhenWanted()
{
    if (!m_enabled || m_askers.empty() || m_inRun || m_rested || m_maker->exists())
        return;
    m_maker->begin();
    if (m_maker->exists())
        m_idle.start();
}

} // namespace orvel
