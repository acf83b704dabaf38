// The atomic writer on its own: what it refuses and why, and what a
// replaced file keeps. The profiles, the rate cache and the exports each
// test their own messages on top of it.
#include "calc/AtomicFile.h"
#include "calc/OrvelError.h"
#include "FileCases.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

using namespace orvel;
using namespace orveltest;

namespace {

mode_t modeOf(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

} // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT

    CaseFolders m_folders;

    QString newFolder() { return m_folders.next(); }

private slots:
    void initTestCase() { QVERIFY(m_folders.isValid()); }

    // A refused save names the file and gives the reason in Russian; the old
    // file and the folder's entries stay as they were. The read-only cases
    // hold for whoever runs the test, the superuser included.
    void refused_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only file") << "read-only file" << "нет прав на запись";
        QTest::newRow("read-only folder") << "read-only folder" << "нет прав на запись";
        QTest::newRow("a folder at the path") << "folder" << "под этим именем уже есть папка";
        QTest::newRow("a pipe at the path") << "pipe" << "под этим именем не обычный файл";
        QTest::newRow("folder missing") << "folder missing" << "нет такой папки";
    }
    void refused()
    {
        QFETCH(QString, situation);
        QFETCH(QString, reason);
        const QString dir = newFolder();
        QString path = dir + QStringLiteral("/график.csv");
        if (situation == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(path));
        else if (situation == QLatin1String("pipe"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (situation == QLatin1String("folder missing"))
            path = dir + QStringLiteral("/gone/график.csv");
        else
            put(path, "old");
        if (situation == QLatin1String("read-only file"))
            QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0444), 0);
        if (situation == QLatin1String("read-only folder"))
            QCOMPARE(::chmod(QFile::encodeName(dir).constData(), 0555), 0);
        const QStringList before = entries(dir);

        QString message;
        try {
            saveFileAtomically(path, "new");
        } catch (const OrvelError &e) {
            message = e.message();
        }
        ::chmod(QFile::encodeName(dir).constData(), 0700);
        QCOMPARE(message, QStringLiteral("Не удалось сохранить файл \"%1\": %2").arg(path, reason));
        QCOMPARE(entries(dir), before);
        if (situation.startsWith(QLatin1String("read-only")))
            QCOMPARE(contents(path), QByteArray("old"));
    }

    // The reasons a save fails with most often are told in Russian, for the
    // Russian sentence they end; the rest as the system words them.
    void failureReasons_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no space") << int(ENOSPC) << "на диске нет места";
        QTest::newRow("quota") << int(EDQUOT) << "на диске нет места";
        QTest::newRow("permission") << int(EACCES) << "нет прав на запись";
        QTest::newRow("not permitted") << int(EPERM) << "нет прав на запись";
        QTest::newRow("no folder") << int(ENOENT) << "нет такой папки";
        QTest::newRow("read-only disk") << int(EROFS) << "диск доступен только для чтения";
        QTest::newRow("other") << int(EIO) << "Input/output error";
    }
    void failureReasons()
    {
        QFETCH(int, error);
        QFETCH(QString, reason);
        QCOMPARE(saveFailureReason(error), reason);
    }

    // The new file keeps the old one's permissions and owner; through a
    // symbolic link the file it points to is replaced and the link stays.
    void replacementKeepsTheFile()
    {
        const QString dir = newFolder();
        const QString path = dir + QStringLiteral("/cbr.xml");
        put(path, "old");
        const QByteArray name = QFile::encodeName(path);
        QCOMPARE(::chmod(name.constData(), 0604), 0);
        // Only the superuser may give a file away; for anyone else the file
        // stays their own.
        const bool root = ::geteuid() == 0;
        if (root)
            QCOMPARE(::chown(name.constData(), 4321, 4322), 0);

        QCOMPARE(replaceFileContents(path, "new"), QString());
        struct stat st {};
        QCOMPARE(::stat(name.constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0604));
        QCOMPARE(st.st_uid, root ? uid_t(4321) : ::geteuid());
        QCOMPARE(st.st_gid, root ? gid_t(4322) : ::getegid());
        QCOMPARE(contents(path), QByteArray("new"));

        const QString link = dir + QStringLiteral("/link.xml");
        QVERIFY(QFile::link(path, link));
        QCOMPARE(replaceFileContents(link, "through the link"), QString());
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(contents(path), QByteArray("through the link"));
        QCOMPARE(entries(dir), QStringList({"cbr.xml", "link.xml"}));
    }

    // A file that did not exist gets the permissions any new file gets.
    void newFileMode_data()
    {
        QTest::addColumn<int>("umask");
        QTest::addColumn<int>("mode");
        QTest::newRow("022") << 022 << 0644;
        QTest::newRow("077") << 077 << 0600;
        QTest::newRow("002") << 002 << 0664;
    }
    void newFileMode()
    {
        QFETCH(int, umask);
        QFETCH(int, mode);
        const QString path = newFolder() + QStringLiteral("/new.csv");
        const mode_t old = ::umask(mode_t(umask));
        const QString why = replaceFileContents(path, "new");
        ::umask(old);
        QCOMPARE(why, QString());
        QCOMPARE(modeOf(path), mode_t(mode));
        QCOMPARE(contents(path), QByteArray("new"));
    }
};

QTEST_MAIN(TestAtomicFile)
#include "test_atomic_file.moc"
