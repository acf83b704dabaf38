// The declaration profile file: reading and writing one value at a time,
// keeping the rest of the file byte for byte, the three encodings, failures of
// the file system, and big or broken files.
#include "declarations/Profile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvel;

namespace {

// Bytes with NULs in them, from a literal.
template <size_t N>
QByteArray raw(const char (&s)[N])
{
    return QByteArray(s, N - 1);
}

// Windows-1251 for the characters these tests use, written out here so the
// module's own conversion is checked against something independent of it.
QByteArray cp1251(const QString &text)
{
    QByteArray out;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u < 0x80)
            out += char(u);
        else if (u >= 0x410 && u <= 0x44F)
            out += char(0xC0 + (u - 0x410));
        else if (u == 0x401)
            out += '\xA8'; // Ё
        else if (u == 0x451)
            out += '\xB8'; // ё
        else if (u == 0x2116)
            out += '\xB9'; // №
        else
            qFatal("character U+%04X missing from the test's table", u);
    }
    return out;
}

QByteArray utf16(const QString &text, bool bigEndian)
{
    QByteArray out;
    for (const QChar c : text) {
        const char low = char(c.unicode() & 0xFF), high = char(c.unicode() >> 8);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

const QByteArray kUtf16Bom("\xFF\xFE", 2);
const QByteArray kUtf16BeBom("\xFE\xFF", 2);
const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// A file in one of the encodings a profile may have, as Windows or an editor
// would have written it.
QByteArray inEncoding(const QString &encoding, const QString &text)
{
    if (encoding == QLatin1String("windows-1251"))
        return cp1251(text);
    if (encoding == QLatin1String("utf-8"))
        return kUtf8Bom + text.toUtf8();
    if (encoding == QLatin1String("utf-16be"))
        return kUtf16BeBom + utf16(text, true);
    return kUtf16Bom + utf16(text, false);
}

const QString kFallback = QStringLiteral("<fallback>");

} // namespace

class TestProfileIni : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

    // A fresh path in the test folder.
    QString newPath()
    {
        return m_dir.filePath(QStringLiteral("profile%1.ini").arg(++m_files));
    }

    static QByteArray contents(const QString &path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return QByteArray("<no file>");
        return f.readAll();
    }

    static void put(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(bytes), bytes.size());
    }

    static QStringList entries(const QString &dir)
    {
        return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // --- Reading ---------------------------------------------------------

    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QString a = QStringLiteral("A"), text = QStringLiteral("Text");
        QTest::newRow("value") << QByteArray("[A]\r\nText=123\r\n") << a << text << "123";
        QTest::newRow("LF line ends") << QByteArray("[A]\nText=123\n") << a << text << "123";
        QTest::newRow("last line without line end") << QByteArray("[A]\r\nText=123") << a << text << "123";
        QTest::newRow("empty file") << QByteArray() << a << text << kFallback;
        QTest::newRow("missing section") << QByteArray("[B]\r\nText=1\r\n") << a << text << kFallback;
        QTest::newRow("missing key") << QByteArray("[A]\r\nValue=1\r\n") << a << text << kFallback;
        QTest::newRow("key only in the next section")
            << QByteArray("[A]\r\n[B]\r\nText=1\r\n") << a << text << kFallback;
        QTest::newRow("key before any section") << QByteArray("Text=1\r\n[A]\r\n") << a << text << kFallback;
        QTest::newRow("empty value is not missing") << QByteArray("[A]\r\nText=\r\n") << a << text << "";
        QTest::newRow("blank value") << QByteArray("[A]\r\nText=            \r\n") << a << text << "";
        QTest::newRow("blanks dropped around names and value")
            << QByteArray("  [ A ]  \r\n \t Text \t=  8(   )   -   \t \r\n") << a << text << "8(   )   -";
        QTest::newRow("quotes are part of the value")
            << QByteArray("[A]\r\nText=\"quoted\"\r\n") << a << text << "\"quoted\"";
        QTest::newRow("equals sign in the value") << QByteArray("[A]\r\nText=a=b\r\n") << a << text << "a=b";
        QTest::newRow("section name in other case") << QByteArray("[inn]\r\nText=5\r\n") << "INN" << text << "5";
        QTest::newRow("key name in other case") << QByteArray("[A]\r\ntEXT=5\r\n") << a << text << "5";
        QTest::newRow("first of two keys") << QByteArray("[A]\r\nText=1\r\nText=2\r\n") << a << text << "1";
        QTest::newRow("first of two sections")
            << QByteArray("[A]\r\nText=1\r\n[a]\r\nText=2\r\n") << a << text << "1";
        QTest::newRow("key after comment and line without equals sign")
            << QByteArray("[A]\r\n;Text=1\r\nText\r\nText=2\r\n") << a << text << "2";
        QTest::newRow("header without closing bracket is no section")
            << QByteArray("[A\r\nText=1\r\n") << a << text << kFallback;
        QTest::newRow("Cyrillic value") << cp1251(QStringLiteral("[Familia]\r\nText=Иванов\r\n"))
                                        << "Familia" << text << "Иванов";
        QTest::newRow("Cyrillic section in other case")
            << cp1251(QStringLiteral("[ФИРМА Ёлка]\r\nText=1\r\n")) << "фирма ёлка" << text << "1";
        QTest::newRow("number sign in section name")
            << cp1251(QStringLiteral("[№korrektirovki]\r\nText=001\r\n")) << "№KORREKTIROVKI" << text << "001";
        QTest::newRow("byte Windows-1251 leaves undefined")
            << QByteArray("[A]\r\nText=a\x98z\r\n") << a << text << "a\uFFFDz";
        QTest::newRow("NUL ends the value") << raw("[A]\r\nText=ab\0cd\r\n") << a << text << "ab";
        QTest::newRow("NUL in another line") << raw("[A]\r\nX=\0\r\nText=1\r\n") << a << text << "1";

        const QByteArray x2047(2047, 'x'), x2048(2048, 'x'), x3000(3000, 'x');
        QTest::newRow("2047 characters") << "[A]\r\nText=" + x2047 + "\r\n" << a << text << QString::fromLatin1(x2047);
        QTest::newRow("2048 characters cut to 2047")
            << "[A]\r\nText=" + x2048 + "\r\n" << a << text << QString::fromLatin1(x2047);
        QTest::newRow("3000 characters cut to 2047")
            << "[A]\r\nText=" + x3000 + "\r\n" << a << text << QString::fromLatin1(x2047);
        QTest::newRow("blanks dropped before the limit")
            << "[A]\r\nText=" + QByteArray(100, ' ') + x2048 << a << text << QString::fromLatin1(x2047);
        const QString cyr2047(2047, QChar(0x416)); // Ж, two bytes in UTF-8
        QTest::newRow("2047 limit counts characters, not bytes")
            << kUtf8Bom + "[A]\r\nText=" + QString(3000, QChar(0x416)).toUtf8() << a << text << cyr2047;
    }
    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const QString path = newPath();
        put(path, file);
        QCOMPARE(readProfileString(path, section, key, kFallback), expected);
        QCOMPARE(contents(path), file);
    }

    void readWithoutFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing file") << m_dir.filePath(QStringLiteral("none.ini"));
        QTest::newRow("missing folder") << m_dir.filePath(QStringLiteral("none/none.ini"));
        QTest::newRow("folder") << m_dir.path();
        QTest::newRow("empty path") << QString();
    }
    void readWithoutFile()
    {
        QFETCH(QString, path);
        QCOMPARE(readProfileString(path, QStringLiteral("A"), QStringLiteral("Text"), kFallback), kFallback);
        QCOMPARE(readProfileString(path, QStringLiteral("A"), QStringLiteral("Text")), QString());
    }

    // --- Writing: the bytes of the whole file after one write ---------------

    void write_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        const QString a = QStringLiteral("A"), b = QStringLiteral("B");
        QTest::newRow("new file, CRLF") << false << QByteArray() << a << "1" << QByteArray("[A]\r\nText=1\r\n");
        QTest::newRow("empty file") << true << QByteArray() << a << "1" << QByteArray("[A]\r\nText=1\r\n");
        QTest::newRow("replace in place")
            << true << QByteArray("[A]\r\nText=old value\r\n[B]\r\nText=b\r\n") << a << "new"
            << QByteArray("[A]\r\nText=new\r\n[B]\r\nText=b\r\n");
        QTest::newRow("replace keeps the key as spelled")
            << true << QByteArray("[a]\r\n  TEXT = old  \r\n") << a << "new" << QByteArray("[a]\r\n  TEXT =new\r\n");
        QTest::newRow("replace in LF file") << true << QByteArray("[A]\nText=old\n;end\n") << a << "new"
                                            << QByteArray("[A]\nText=new\n;end\n");
        QTest::newRow("replace on last line without line end")
            << true << QByteArray("[A]\r\nText=old") << a << "new" << QByteArray("[A]\r\nText=new");
        QTest::newRow("replace with empty value")
            << true << QByteArray("[A]\r\nText=old\r\n") << a << "" << QByteArray("[A]\r\nText=\r\n");
        QTest::newRow("replace with blanks kept")
            << true << QByteArray("[A]\r\nText=old\r\n") << a << "8(   )   -    "
            << QByteArray("[A]\r\nText=8(   )   -    \r\n");
        QTest::newRow("add key after the section's last key line")
            << true << QByteArray("[A]\r\nX=1\r\nY=2\r\n\r\n; note\r\n[B]\r\nText=b\r\n") << a << "v"
            << QByteArray("[A]\r\nX=1\r\nY=2\r\nText=v\r\n\r\n; note\r\n[B]\r\nText=b\r\n");
        QTest::newRow("add key to section without keys")
            << true << QByteArray("[A]\r\n\r\n[B]\r\nText=b\r\n") << a << "v"
            << QByteArray("[A]\r\nText=v\r\n\r\n[B]\r\nText=b\r\n");
        QTest::newRow("add key after header without line end")
            << true << QByteArray("[B]\nX=1\n[A]") << a << "v" << QByteArray("[B]\nX=1\n[A]\nText=v\n");
        QTest::newRow("add key in LF file") << true << QByteArray("[A]\nX=1\n") << a << "v"
                                            << QByteArray("[A]\nX=1\nText=v\n");
        QTest::newRow("new section at the end")
            << true << QByteArray("; profile\r\n\r\n[A]\r\nText=a\r\n\r\n") << b << "v"
            << QByteArray("; profile\r\n\r\n[A]\r\nText=a\r\n\r\n[B]\r\nText=v\r\n");
        QTest::newRow("new section in LF file") << true << QByteArray("[A]\nText=a\n") << b << "v"
                                                << QByteArray("[A]\nText=a\n[B]\nText=v\n");
        QTest::newRow("new section after last line without line end")
            << true << QByteArray("[A]\r\nText=a") << b << "v" << QByteArray("[A]\r\nText=a\r\n[B]\r\nText=v\r\n");
        QTest::newRow("file without any line end gets CRLF")
            << true << QByteArray("; only") << b << "v" << QByteArray("; only\r\n[B]\r\nText=v\r\n");
        QTest::newRow("mixed line ends: added line ends as the line before it")
            << true << QByteArray("[A]\nX=1\r\n[B]\r\nY=2\n") << a << "v"
            << QByteArray("[A]\nX=1\r\nText=v\r\n[B]\r\nY=2\n");
        QTest::newRow("mixed line ends: replace") << true << QByteArray("[A]\nX=1\r\n[B]\r\nText=2\n\r\n") << b
                                                  << "3" << QByteArray("[A]\nX=1\r\n[B]\r\nText=3\n\r\n");
        QTest::newRow("section of other case kept")
            << true << QByteArray("[inn]\r\nText=1\r\n") << "INN" << "2" << QByteArray("[inn]\r\nText=2\r\n");
        QTest::newRow("Cyrillic section of other case")
            << true << cp1251(QStringLiteral("[фирма]\r\nText=1\r\n")) << "ФИРМА" << "2"
            << cp1251(QStringLiteral("[фирма]\r\nText=2\r\n"));
        QTest::newRow("new file in Windows-1251")
            << false << QByteArray() << "№korrektirovki" << "Пётр Ёжиков"
            << cp1251(QStringLiteral("[№korrektirovki]\r\nText=Пётр Ёжиков\r\n"));
        QTest::newRow("character outside Windows-1251")
            << false << QByteArray() << a << "Zürich 😀 日本" << QByteArray("[A]\r\nText=Z?rich ? ??\r\n");
        QTest::newRow("line breaks in the value become blanks")
            << false << QByteArray() << a << "1\r\n[B]\nText=2" << QByteArray("[A]\r\nText=1  [B] Text=2\r\n");
        QTest::newRow("NUL in the value becomes a blank")
            << false << QByteArray() << a << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b"))
            << QByteArray("[A]\r\nText=a b\r\n");
    }
    void write()
    {
        QFETCH(bool, exists);
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        const QString path = newPath();
        if (exists)
            put(path, before);
        writeProfileString(path, section, QStringLiteral("Text"), value);
        QCOMPARE(contents(path), after);
    }

    // A profile edited by hand and by Windows: everything the writes do not
    // touch stays byte for byte, through several writes.
    void restOfFileSurvives()
    {
        const QByteArray before = raw("; written by hand\n"
                                      "[Familia]\r\n"
                                      "Text=Old\r\n"
                                      "Comment = keep me \n"
                                      "\r\n"
                                      "\t\n"
                                      "[Other]\n"
                                      "Text=other\r\n"
                                      "junk line without equals sign\n"
                                      "[INN]\r\n"
                                      "Text=\x01\x7F\xFF bytes\r\n"
                                      "; trailing comment");
        const QString path = newPath();
        put(path, before);
        writeProfileString(path, QStringLiteral("familia"), QStringLiteral("Text"), QStringLiteral("New"));
        writeProfileString(path, QStringLiteral("INN"), QStringLiteral("Text"), QStringLiteral("123"));
        writeProfileString(path, QStringLiteral("Other"), QStringLiteral("Key"), QStringLiteral("k"));
        writeProfileString(path, QStringLiteral("God"), QStringLiteral("Text"), QStringLiteral("2024"));
        QCOMPARE(contents(path), raw("; written by hand\n"
                                     "[Familia]\r\n"
                                     "Text=New\r\n"
                                     "Comment = keep me \n"
                                     "\r\n"
                                     "\t\n"
                                     "[Other]\n"
                                     "Text=other\r\n"
                                     "Key=k\r\n"
                                     "junk line without equals sign\n"
                                     "[INN]\r\n"
                                     "Text=123\r\n"
                                     "; trailing comment\r\n"
                                     "[God]\r\n"
                                     "Text=2024\r\n"));
        QCOMPARE(readProfileString(path, QStringLiteral("Other"), QStringLiteral("Comment")), QString());
        QCOMPARE(readProfileString(path, QStringLiteral("Familia"), QStringLiteral("Comment")),
                 QStringLiteral("keep me"));
    }

    // Saving a declaration's sections twice into one file updates them in
    // place: one "Text" per section, in the order of the first save.
    void twoSavesKeepOneTextPerSection()
    {
        const QStringList sections = {"Familia", "Imya", "Otchestvo", "INN", "KBK", "№korrektirovki", "God",
                                      "FNS", "Ok1", "Ok2", "Ok3", "Period", "Telephone", "OKATO"};
        const QString path = newPath();
        const auto save = [&](const QString &suffix) {
            for (const QString &s : sections)
                writeProfileString(path, s, QStringLiteral("Text"), s + suffix);
        };
        const auto expected = [&](const QString &suffix) {
            QString text;
            for (const QString &s : sections)
                text += QLatin1Char('[') + s + QStringLiteral("]\r\nText=") + s + suffix + QStringLiteral("\r\n");
            return cp1251(text);
        };
        save(QStringLiteral(" первое"));
        QCOMPARE(contents(path), expected(QStringLiteral(" первое")));
        save(QStringLiteral(" 2"));
        QCOMPARE(contents(path), expected(QStringLiteral(" 2")));
        for (const QString &s : sections)
            QCOMPARE(readProfileString(path, s, QStringLiteral("Text")), s + QStringLiteral(" 2"));
    }

    // --- Encodings ----------------------------------------------------------

    void encodings_data()
    {
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("foreignWritten");
        QTest::newRow("Windows-1251") << "windows-1251" << "Z?rich";
        QTest::newRow("UTF-8 with mark") << "utf-8" << "Zürich";
        QTest::newRow("UTF-16 LE with mark") << "utf-16le" << "Zürich";
        QTest::newRow("UTF-16 BE with mark") << "utf-16be" << "Zürich";
    }
    // A file as Windows writes it in each encoding: read, then written with
    // its encoding (and mark) kept.
    void encodings()
    {
        QFETCH(QString, encoding);
        QFETCH(QString, foreignWritten);
        const QString original = QStringLiteral("[Familia]\r\nText=Иванов\r\n"
                                                "[№korrektirovki]\r\nText=0  \r\n"
                                                "[Telephone]\r\nText=8(495)123-45-67\r\n");
        const QString path = newPath();
        put(path, inEncoding(encoding, original));

        QCOMPARE(readProfileString(path, QStringLiteral("FAMILIA"), QStringLiteral("Text")),
                 QStringLiteral("Иванов"));
        QCOMPARE(readProfileString(path, QStringLiteral("№KORREKTIROVKI"), QStringLiteral("text")),
                 QStringLiteral("0"));
        QCOMPARE(readProfileString(path, QStringLiteral("Telephone"), QStringLiteral("Text")),
                 QStringLiteral("8(495)123-45-67"));

        writeProfileString(path, QStringLiteral("Familia"), QStringLiteral("Text"), QStringLiteral("Сидорова"));
        writeProfileString(path, QStringLiteral("Imya"), QStringLiteral("Text"), QStringLiteral("Алёна"));
        writeProfileString(path, QStringLiteral("Firma"), QStringLiteral("Text"), QStringLiteral("Zürich"));
        const QString expected = QStringLiteral("[Familia]\r\nText=Сидорова\r\n"
                                                "[№korrektirovki]\r\nText=0  \r\n"
                                                "[Telephone]\r\nText=8(495)123-45-67\r\n"
                                                "[Imya]\r\nText=Алёна\r\n[Firma]\r\nText=")
                                 + foreignWritten + QStringLiteral("\r\n");
        QCOMPARE(contents(path), inEncoding(encoding, expected));
        QCOMPARE(readProfileString(path, QStringLiteral("imya"), QStringLiteral("Text")), QStringLiteral("Алёна"));
    }

    // --- Failures -----------------------------------------------------------

    void writeFailure_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("read-only file") << "read-only file";
        QTest::newRow("new file in read-only folder") << "new file in read-only folder";
        QTest::newRow("file in read-only folder") << "file in read-only folder";
        QTest::newRow("missing folder") << "missing folder";
        QTest::newRow("path is a folder") << "path is a folder";
        QTest::newRow("disk full") << "disk full";
    }
    // A refused write throws "Unable to write to <path>" and leaves the file
    // and its folder exactly as they were.
    void writeFailure()
    {
        QFETCH(QString, situation);
        const QString dir = m_dir.filePath(QStringLiteral("failure%1").arg(++m_files));
        QVERIFY(QDir().mkpath(dir));
        QString path = dir + QStringLiteral("/profile.ini");
        const QByteArray before = "[A]\r\nText=old\r\n; " + QByteArray(64 * 1024, 'x') + "\r\n";
        bool fileBefore = true;
        rlimit oldLimit{};
        if (situation == QLatin1String("read-only file")) {
            put(path, before);
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        } else if (situation == QLatin1String("new file in read-only folder")) {
            fileBefore = false;
        } else if (situation == QLatin1String("file in read-only folder")) {
            put(path, before);
        } else if (situation == QLatin1String("missing folder")) {
            path = dir + QStringLiteral("/missing/profile.ini");
            fileBefore = false;
        } else if (situation == QLatin1String("path is a folder")) {
            QVERIFY(QDir().mkpath(path));
            fileBefore = false;
        } else if (situation == QLatin1String("disk full")) {
            // A file size limit makes writing the new copy fail part way, as
            // a full disk would.
            put(path, before);
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
        }
        if (situation.contains(QLatin1String("read-only folder")))
            QVERIFY(QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                                   | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        const QStringList entriesBefore = entries(dir);

        QString message;
        const auto sigxfsz = std::signal(SIGXFSZ, SIG_IGN);
        if (situation == QLatin1String("disk full")) {
            rlimit small = oldLimit;
            small.rlim_cur = 4096;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        }
        try {
            writeProfileString(path, QStringLiteral("A"), QStringLiteral("Text"), QStringLiteral("new"));
        } catch (const OrvelError &e) {
            message = e.message();
        }
        if (situation == QLatin1String("disk full"))
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &oldLimit), 0);
        std::signal(SIGXFSZ, sigxfsz);

        QCOMPARE(message, QStringLiteral("Unable to write to %1").arg(path));
        QCOMPARE(entries(dir), entriesBefore);
        if (fileBefore) {
            QCOMPARE(contents(path), before);
            QCOMPARE(readProfileString(path, QStringLiteral("A"), QStringLiteral("Text")), QStringLiteral("old"));
        }
        QVERIFY(QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    // The new file takes the place of the old one with its permissions, and
    // through a symbolic link the file it points to is changed.
    void replacementKeepsTheFile()
    {
        const QString dir = m_dir.filePath(QStringLiteral("replace"));
        QVERIFY(QDir().mkpath(dir));
        const QString path = dir + QStringLiteral("/profile.ini");
        put(path, "[A]\r\nText=1\r\n");
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
        writeProfileString(path, QStringLiteral("A"), QStringLiteral("Text"), QStringLiteral("2"));
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));

        const QString link = dir + QStringLiteral("/link.ini");
        QVERIFY(QFile::link(path, link));
        writeProfileString(link, QStringLiteral("A"), QStringLiteral("Text"), QStringLiteral("3"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(contents(path), QByteArray("[A]\r\nText=3\r\n"));
        QCOMPARE(entries(dir), QStringList({"link.ini", "profile.ini"}));
    }

    // --- Big and broken files -------------------------------------------------

    void manyLines()
    {
        QByteArray file;
        for (int i = 0; i < 50000; ++i)
            file += "[S" + QByteArray::number(i) + "]\r\nText=" + QByteArray::number(i) + "\r\n";
        const QString path = newPath();
        put(path, file);
        QCOMPARE(readProfileString(path, QStringLiteral("s49999"), QStringLiteral("Text")), QStringLiteral("49999"));
        writeProfileString(path, QStringLiteral("S49999"), QStringLiteral("Text"), QStringLiteral("last"));
        writeProfileString(path, QStringLiteral("New"), QStringLiteral("Text"), QStringLiteral("new"));
        QCOMPARE(contents(path), file.left(file.size() - 7) + "last\r\n[New]\r\nText=new\r\n");
    }

    void longLine()
    {
        const QByteArray mib(1024 * 1024, 'y');
        const QByteArray file = "[A]\r\nText=" + mib + "\r\n[B]\r\nText=b\r\n";
        const QString path = newPath();
        put(path, file);
        QCOMPARE(readProfileString(path, QStringLiteral("A"), QStringLiteral("Text")),
                 QString(2047, QLatin1Char('y')));
        QCOMPARE(readProfileString(path, QStringLiteral("B"), QStringLiteral("Text")), QStringLiteral("b"));
        writeProfileString(path, QStringLiteral("B"), QStringLiteral("Text"), QStringLiteral("c"));
        QCOMPARE(contents(path), "[A]\r\nText=" + mib + "\r\n[B]\r\nText=c\r\n");
        writeProfileString(path, QStringLiteral("A"), QStringLiteral("Text"), QStringLiteral("short"));
        QCOMPARE(contents(path), QByteArray("[A]\r\nText=short\r\n[B]\r\nText=c\r\n"));

        // One line of a mebibyte with no line end and no section in it.
        put(path, mib);
        QCOMPARE(readProfileString(path, QStringLiteral("A"), QStringLiteral("Text"), kFallback), kFallback);
        writeProfileString(path, QStringLiteral("A"), QStringLiteral("Text"), QStringLiteral("v"));
        QCOMPARE(contents(path), mib + "\r\n[A]\r\nText=v\r\n");
    }

    void garbage_data()
    {
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<int>("size");
        QTest::newRow("bytes") << QByteArray("x") << 256 * 1024;
        QTest::newRow("UTF-8 with mark") << kUtf8Bom << 64 * 1024;
        QTest::newRow("UTF-16 LE, odd size") << kUtf16Bom << 64 * 1024 + 1;
    }
    // Random bytes, NULs and stray brackets included: reading finds nothing
    // or something, writing adds its section and keeps every byte before it.
    void garbage()
    {
        QFETCH(QByteArray, prefix);
        QFETCH(int, size);
        QRandomGenerator random(20240601);
        QByteArray noise(size, Qt::Uninitialized);
        for (char &c : noise)
            c = char(random.bounded(256));
        const QByteArray file = prefix + noise;
        const QString path = newPath();
        put(path, file);
        for (const char *s : {"A", "Zz", ""})
            readProfileString(path, QString::fromLatin1(s), QStringLiteral("Text"));
        writeProfileString(path, QStringLiteral("Zz"), QStringLiteral("Text"), QStringLiteral("значение"));
        QCOMPARE(readProfileString(path, QStringLiteral("ZZ"), QStringLiteral("Text")), QStringLiteral("значение"));
        const QByteArray after = contents(path);
        const bool oddUtf16 = prefix == kUtf16Bom && size % 2;
        // A stray byte after the last whole UTF-16 unit stays at the end.
        QVERIFY(after.startsWith(oddUtf16 ? file.left(file.size() - 1) : file));
        if (oddUtf16)
            QCOMPARE(after.back(), file.back());
        writeProfileString(path, QStringLiteral("Zz"), QStringLiteral("Text"), QStringLiteral("again"));
        QCOMPARE(readProfileString(path, QStringLiteral("zz"), QStringLiteral("Text")), QStringLiteral("again"));
    }
};

QTEST_GUILESS_MAIN(TestProfileIni)
#include "test_profile_ini.moc"
