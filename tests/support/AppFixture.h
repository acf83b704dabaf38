#pragma once
// The program's windows as the program creates them, started in a fresh
// working directory (so no cbr.xml is there unless the test puts one).
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace orveltest {

class AppFixture {
public:
    orvel::OrvelWindows w;
    QTemporaryDir workDir;

    // Creates the windows and shows the main window; returns false if it
    // never became visible.
    bool start()
    {
        m_oldDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        w = orvel::createOrvelWindows();
        w.form1->show();
        return QTest::qWaitForWindowExposed(w.form1);
    }
    void stop()
    {
        if (w.form1)
            orvel::destroyOrvelWindows(w);
        if (!m_oldDir.isEmpty())
            QDir::setCurrent(m_oldDir);
    }
    ~AppFixture() { stop(); }

private:
    QString m_oldDir;
};

} // namespace orveltest
