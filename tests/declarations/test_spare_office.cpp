// When a spare office is started, handed out and ended, with a maker that
// only notes what it is asked to do.
#include "office/SpareOffice.h"

#include "RecordingSpreadsheet.h"

#include <QTest>

using orvel::SpareAsker;
using orvel::SpareOffice;

namespace {

struct MakerLog {
    QStringList calls;
    bool exists = false;
    bool ready = false;
    bool usable = true; // what take() finds: an office, or one that died
    QString failure;    // a start that failed
};

class NotingMaker : public SpareOffice::Maker {
public:
    explicit NotingMaker(MakerLog &log) : m_log(log) {}
    void begin() override
    {
        m_log.calls << QStringLiteral("begin");
        m_log.exists = true;
    }
    void end() override
    {
        if (m_log.exists)
            m_log.calls << QStringLiteral("end");
        m_log.exists = m_log.ready = false;
    }
    bool exists() const override { return m_log.exists; }
    bool ready() const override { return m_log.ready; }
    std::unique_ptr<orvel::SpreadsheetApp> take() override
    {
        m_log.calls << QStringLiteral("take");
        m_log.exists = m_log.ready = false;
        if (!m_log.failure.isEmpty())
            throw OrvelError(m_log.failure);
        if (!m_log.usable)
            return nullptr;
        return std::make_unique<orveltest::RecordingSpreadsheet>(spreadsheetLog);
    }
    orveltest::SpreadsheetLog spreadsheetLog;

private:
    MakerLog &m_log;
};

} // namespace

class TestSpareOffice : public QObject {
    Q_OBJECT

    MakerLog log;
    std::unique_ptr<SpareOffice> spare;

    void make(std::chrono::milliseconds idle = std::chrono::minutes(10))
    {
        log = MakerLog();
        spare = std::make_unique<SpareOffice>(std::make_unique<NotingMaker>(log), idle);
        spare->setEnabled(true);
    }

private slots:
    void cleanup() { spare.reset(); }

    // Nobody asks: nothing is started, and a run starts its own office.
    void nobodyAsks()
    {
        make();
        QVERIFY(!spare->take());
        spare->runQuit();
        QCOMPARE(log.calls, QStringList());
    }

    // One spare for all askers, ended when the last one stops asking.
    void askersShareOne()
    {
        make();
        spare->setWanted(SpareAsker::VatWindow, true);
        spare->setWanted(SpareAsker::VatWindow, true); // shown again
        spare->setWanted(SpareAsker::DifferentiatedSchedule, true);
        QCOMPARE(log.calls, QStringList{"begin"});
        spare->setWanted(SpareAsker::VatWindow, false);
        QCOMPARE(log.calls, QStringList{"begin"});
        spare->setWanted(SpareAsker::DifferentiatedSchedule, false);
        QCOMPARE(log.calls, (QStringList{"begin", "end"}));
        spare->setWanted(SpareAsker::SimplifiedWindow, false); // never asked
        QCOMPARE(log.calls, (QStringList{"begin", "end"}));
    }

    // A run takes the spare; the next one starts after that run's quit, and
    // only while somebody still asks.
    void nextSpareAfterTheQuit()
    {
        make();
        spare->setWanted(SpareAsker::SimplifiedWindow, true);
        QVERIFY(spare->take());
        spare->setWanted(SpareAsker::VatWindow, true); // during the run: nothing new
        QCOMPARE(log.calls, (QStringList{"begin", "take"}));
        spare->runQuit();
        QCOMPARE(log.calls, (QStringList{"begin", "take", "begin"}));
        QVERIFY(spare->take());
        spare->setWanted(SpareAsker::SimplifiedWindow, false);
        spare->setWanted(SpareAsker::VatWindow, false);
        spare->runQuit();
        QCOMPARE(log.calls, (QStringList{"begin", "take", "begin", "take"}));
    }

    // A run with no spare at hand (it died, or a failed run kept its office
    // and none was started) starts its own; its quit starts the next spare.
    void runWithoutSpare()
    {
        make();
        spare->setWanted(SpareAsker::VatWindow, true);
        log.usable = false;
        QVERIFY(!spare->take());
        QVERIFY(!spare->take()); // the failed run's office never quit
        QCOMPARE(log.calls, (QStringList{"begin", "take"}));
        log.usable = true;
        spare->runQuit();
        QCOMPARE(log.calls, (QStringList{"begin", "take", "begin"}));
    }

    // A spare whose start failed gives the run that failure; the next asker
    // may try again.
    void failedStart()
    {
        make();
        spare->setWanted(SpareAsker::VatWindow, true);
        log.failure = QStringLiteral("LibreOffice Calc did not answer in 30 seconds");
        try {
            spare->take();
            QFAIL("a failed start was handed out");
        } catch (const OrvelError &e) {
            QCOMPARE(e.message(), log.failure);
        }
        log.failure.clear();
        spare->setWanted(SpareAsker::SimplifiedWindow, true);
        QCOMPARE(log.calls, (QStringList{"begin", "take", "begin"}));
    }

    // Unused for the idle limit, the spare ends; a new asker or the end of
    // a run starts another, a window shown again does not.
    void idleLimit()
    {
        make(std::chrono::milliseconds(30));
        spare->setWanted(SpareAsker::VatWindow, true);
        QTRY_COMPARE_WITH_TIMEOUT(log.calls, (QStringList{"begin", "end"}), 5000);
        spare->setWanted(SpareAsker::VatWindow, true);
        QCOMPARE(log.calls, (QStringList{"begin", "end"}));
        spare->setWanted(SpareAsker::DifferentiatedSchedule, true);
        QCOMPARE(log.calls, (QStringList{"begin", "end", "begin"}));
        // Taken in time, it is not ended under the run.
        QVERIFY(spare->take());
        QTest::qWait(60);
        QCOMPARE(log.calls, (QStringList{"begin", "end", "begin", "take"}));
    }

    // Switched off, nothing runs; switched on, the askers get their spare.
    void switchedOffAndOn()
    {
        make();
        spare->setEnabled(false);
        spare->setWanted(SpareAsker::VatWindow, true);
        QCOMPARE(log.calls, QStringList());
        spare->setEnabled(true);
        QCOMPARE(log.calls, QStringList{"begin"});
        spare->setEnabled(false);
        QCOMPARE(log.calls, (QStringList{"begin", "end"}));
        spare.reset(); // nothing left to end
        QCOMPARE(log.calls, (QStringList{"begin", "end"}));
    }

    // Destroyed with a spare: it is ended.
    void endedWithItsOwner()
    {
        make();
        spare->setWanted(SpareAsker::VatWindow, true);
        spare.reset();
        QCOMPARE(log.calls, (QStringList{"begin", "end"}));
    }
};

QTEST_GUILESS_MAIN(TestSpareOffice)
#include "test_spare_office.moc"
