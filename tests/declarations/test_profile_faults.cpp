// Profile files the system refuses or that are damaged, through the
// window-free API: the message a save or load ends with (the box shows it with
// its full stop), and the bytes on disk afterwards. The everyday refusals
// (read-only file or folder, missing folder, a folder at the path, a file size
// limit) and the big and broken files are in test_profile_ini; here are the
// ones the system itself brings about.
#include "declarations/Profile.h"
#include "FaultTools.h"
#include "FileCases.h"
#include "ui/ErrorBox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

using namespace orvel;
using orveltest::PermissionsEnforced;
using orveltest::SmallDisk;
using orveltest::contents;
using orveltest::entries;
using orveltest::put;

namespace {

// Windows-1251, as the program writes new profiles; Edit2 is "Иванов".
const QByteArray kProfile = "[Tnds]\r\nEdit1=7701234567\r\nEdit2=\xC8\xE2\xE0\xED\xEE\xE2\r\n; kept\r\n[Other]\r\nX=1\r\n";

// What a save of Edit1 ends with: the box text, or "" when it went through.
QString saveBox(const QString &path)
{
    try {
        writeProfileString(path, QStringLiteral("Tnds"), QStringLiteral("Edit1"), QStringLiteral("5001002003"));
    } catch (const OrvelError &e) {
        return errorBoxText(e.message());
    }
    return QString();
}

} // namespace

class TestProfileFaults : public QObject {
    Q_OBJECT

    orveltest::CaseFolders m_folders;

    QString newFolder() { return m_folders.next(); }

private slots:
    void initTestCase() { QVERIFY(m_folders.isValid()); }

    // A save the system refuses says "Unable to write to <path>." and leaves
    // the profile's bytes and the folder's entries as they were; a load of
    // a file that cannot be read gives the field's default.
    void refused_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("disk full") << "disk full";
        QTest::newRow("file that may be written but not read") << "write-only file";
        QTest::newRow("folder that may not be searched") << "unsearchable folder";
        QTest::newRow("folder gone after the load") << "folder gone";
        QTest::newRow("a pipe at the path") << "fifo";
    }
    void refused()
    {
        QFETCH(QString, situation);
        std::unique_ptr<SmallDisk> disk;
        QString dir = newFolder();
        if (situation == QLatin1String("disk full")) {
            disk = std::make_unique<SmallDisk>();
            QVERIFY(disk->isValid());
            dir = disk->path();
        }
        const QString path = dir + QStringLiteral("/nds.ini");
        if (situation == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            put(path, kProfile);
        QString loaded = readProfileString(path, QStringLiteral("Tnds"), QStringLiteral("Edit2"), QStringLiteral("-"));
        QCOMPARE(loaded, situation == QLatin1String("fifo") ? QStringLiteral("-") : QStringLiteral("Иванов"));

        QString box;
        QStringList before;
        {
            std::unique_ptr<PermissionsEnforced> asAnyUser;
            if (situation == QLatin1String("disk full")) {
                disk->fill();
            } else if (situation == QLatin1String("write-only file")) {
                QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0200), 0);
                asAnyUser = std::make_unique<PermissionsEnforced>();
            } else if (situation == QLatin1String("unsearchable folder")) {
                QCOMPARE(::chmod(QFile::encodeName(dir).constData(), 0600), 0);
                asAnyUser = std::make_unique<PermissionsEnforced>();
            } else if (situation == QLatin1String("folder gone")) {
                QVERIFY(QDir(dir).removeRecursively());
            }
            if (situation != QLatin1String("unsearchable folder"))
                before = entries(dir);
            if (situation != QLatin1String("disk full"))
                loaded = readProfileString(path, QStringLiteral("Tnds"), QStringLiteral("Edit2"), QStringLiteral("-"));
            box = saveBox(path);
        }
        // The box, exactly.
        QCOMPARE(box, QStringLiteral("Unable to write to %1.").arg(path));
        if (situation != QLatin1String("disk full") && situation != QLatin1String("folder gone"))
            QCOMPARE(loaded, QStringLiteral("-")); // unreadable: the default
        ::chmod(QFile::encodeName(dir).constData(), 0700);
        ::chmod(QFile::encodeName(path).constData(), 0600);

        // What stays on disk.
        if (situation == QLatin1String("folder gone")) {
            QVERIFY(!QFileInfo::exists(dir)); // nothing made it come back
        } else if (situation == QLatin1String("fifo")) {
            QVERIFY(QFileInfo(path).isFile() == false && QFileInfo::exists(path));
        } else {
            QCOMPARE(contents(path), kProfile);
        }
        if (situation != QLatin1String("unsearchable folder"))
            QCOMPARE(entries(dir), before);
        else
            QCOMPARE(entries(dir), QStringList{"nds.ini"});
    }

    // On a full disk a load still works, and once there is room again the
    // same save goes through.
    void diskFullThenRoom()
    {
        SmallDisk disk;
        const QString path = disk.path() + QStringLiteral("/nds.ini");
        put(path, kProfile);
        disk.fill();
        QCOMPARE(readProfileString(path, QStringLiteral("Tnds"), QStringLiteral("Edit1")), QStringLiteral("7701234567"));
        QCOMPARE(saveBox(path), QStringLiteral("Unable to write to %1.").arg(path));
        QCOMPARE(contents(path), kProfile);
        QFile::remove(disk.path() + QStringLiteral("/.filler"));
        if (!QFile::exists(disk.path() + QStringLiteral("/.filler")) && disk.fullMessage().contains("space")) {
            QCOMPARE(saveBox(path), QString());
            QByteArray expected = kProfile;
            expected.replace("7701234567", "5001002003");
            QCOMPARE(contents(path), expected);
        }
    }

    // 100,000 lines in UTF-16 (two bytes a character, so every scan goes unit
    // by unit): the last key reads and saves, every other byte stays.
    void manyLinesUtf16()
    {
        QString text;
        for (int i = 0; i < 50000; ++i)
            text += QStringLiteral("[Раздел%1]\r\nПоле=%1\r\n").arg(i);
        QByteArray file("\xFF\xFE", 2);
        file.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
        const QString path = newFolder() + QStringLiteral("/big.ini");
        put(path, file);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(readProfileString(path, QStringLiteral("раздел49999"), QStringLiteral("ПОЛЕ")), QStringLiteral("49999"));
        writeProfileString(path, QStringLiteral("Раздел49999"), QStringLiteral("Поле"), QStringLiteral("последнее"));
        qInfo("read and write of 100,000 UTF-16 lines: %lld ms", static_cast<long long>(clock.elapsed()));
        const QString last = QStringLiteral("последнее\r\n");
        QByteArray expected = file.left(file.size() - QStringLiteral("49999\r\n").size() * 2);
        expected.append(reinterpret_cast<const char *>(last.utf16()), last.size() * 2);
        QCOMPARE(contents(path), expected);
    }

    // A line of 1 MiB in UTF-8, two bytes a character: the value reads as its
    // first 2047 characters, and a save of another key keeps the line whole.
    void longUtf8Line()
    {
        const QByteArray line = QString(512 * 1024, QChar(0x0416)).toUtf8(); // "Ж"
        const QByteArray file = "\xEF\xBB\xBF[A]\nText=" + line + "\n[B]\nText=b\n";
        const QString path = newFolder() + QStringLiteral("/long.ini");
        put(path, file);
        QCOMPARE(readProfileString(path, QStringLiteral("A"), QStringLiteral("Text")), QString(2047, QChar(0x0416)));
        writeProfileString(path, QStringLiteral("B"), QStringLiteral("Text"), QStringLiteral("c"));
        QCOMPARE(contents(path), "\xEF\xBB\xBF[A]\nText=" + line + "\n[B]\nText=c\n");
    }
};

QTEST_MAIN(TestProfileFaults)
#include "test_profile_faults.moc"
