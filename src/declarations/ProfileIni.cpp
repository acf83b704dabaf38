// Declaration profiles: INI files read and written one value at a time.
//
// A profile is kept as the bytes it was read as. The characters that give the
// file its structure ('[', ']', '=', blanks and line ends) are ASCII in every
// encoding a profile may have, so the file is scanned in its own code units
// (bytes, or 16-bit units for UTF-16) and only the names and the value that
// matter are converted, with iconv. A write changes the bytes of one value or
// inserts the lines it adds; every other byte of the file stays as it was, and
// the result replaces the file through the atomic writer.
#include "declarations/Profile.h"

#include "calc/AtomicFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvel {

namespace {

// What a profile read returns at most, as the Windows reader does with its
// buffer of 2048 characters.
constexpr qsizetype kMaxValueLength = 2047;

// The encoding iconv produces and takes for the program's own text (QString's
// UTF-16 in the byte order of this machine).
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
const char kTextCharset[] = "UTF-16LE";
#else
const char kTextCharset[] = "UTF-16BE";
#endif

// A conversion that cannot be done at all (iconv missing a charset, or failing
// in a way that is not about the input). Turned into the caller's error.
class ConversionFailure : public std::runtime_error {
public:
    ConversionFailure() : std::runtime_error("iconv failed") {}
};

// One iconv conversion descriptor, closed when it goes out of scope.
class Iconv {
public:
    Iconv(const char *to, const char *from) : m_cd(iconv_open(to, from))
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw ConversionFailure();
    }
    ~Iconv()
    {
        // Closing only releases memory; there is nothing to do if it fails.
        const int rc = iconv_close(m_cd);
        (void)rc;
    }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;

    // Converts as much of in as it can; false with errno set when it stops
    // early.
    bool convert(char **in, size_t *inLeft, char **out, size_t *outLeft)
    {
        return iconv(m_cd, in, inLeft, out, outLeft) != static_cast<size_t>(-1);
    }

    // Writes the closing sequence of a stateful encoding and returns to the
    // initial state.
    void finish(char **out, size_t *outLeft)
    {
        if (iconv(m_cd, nullptr, nullptr, out, outLeft) == static_cast<size_t>(-1))
            throw ConversionFailure();
    }

    void reset()
    {
        if (iconv(m_cd, nullptr, nullptr, nullptr, nullptr) == static_cast<size_t>(-1))
            throw ConversionFailure();
    }

private:
    iconv_t m_cd;
};

enum class Encoding { Windows1251, Utf8, Utf16Le, Utf16Be };

const char *charsetOf(Encoding e)
{
    switch (e) {
    case Encoding::Utf8:
        return "UTF-8";
    case Encoding::Utf16Le:
        return "UTF-16LE";
    case Encoding::Utf16Be:
        return "UTF-16BE";
    case Encoding::Windows1251:
        break;
    }
    return "CP1251";
}

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

// A profile as read from disk: the byte-order mark, the text in its own
// encoding, and for UTF-16 a stray last byte that makes no whole unit (kept
// at the end of the file as it was).
struct ProfileBytes {
    Encoding encoding = Encoding::Windows1251;
    QByteArray bom;
    QByteArray body;
    QByteArray tail;

    bool wide() const { return encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be; }
    int width() const { return wide() ? 2 : 1; }
    qsizetype units() const { return body.size() / width(); }
    char16_t at(qsizetype i) const
    {
        const auto *p = reinterpret_cast<const uchar *>(body.constData());
        if (!wide())
            return p[i];
        if (encoding == Encoding::Utf16Be)
            return static_cast<char16_t>((p[2 * i] << 8) | p[2 * i + 1]);
        return static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    }
    // The first unit c in [from, to), or to.
    qsizetype find(char16_t c, qsizetype from, qsizetype to) const
    {
        if (!wide()) {
            const void *hit = memchr(body.constData() + from, c, static_cast<size_t>(to - from));
            return hit ? static_cast<const char *>(hit) - body.constData() : to;
        }
        for (qsizetype i = from; i < to; ++i)
            if (at(i) == c)
                return i;
        return to;
    }
};

ProfileBytes splitEncoding(const QByteArray &file)
{
    ProfileBytes p;
    const bool le = file.startsWith("\xFF\xFE"), be = file.startsWith("\xFE\xFF");
    if (le || be) {
        p.encoding = le ? Encoding::Utf16Le : Encoding::Utf16Be;
        p.bom = file.left(2);
        p.body = file.mid(2);
        if (p.body.size() % 2) {
            p.tail = p.body.right(1);
            p.body.chop(1);
        }
    } else if (file.startsWith("\xEF\xBB\xBF")) {
        p.encoding = Encoding::Utf8;
        p.bom = file.left(3);
        p.body = file.mid(3);
    } else {
        p.body = file;
    }
    return p;
}

// Turns units of a profile into text, with one conversion descriptor for all
// the names and the value of one scan.
class Decoder {
public:
    explicit Decoder(const ProfileBytes &p) : m_p(p), m_cd(kTextCharset, charsetOf(p.encoding)) {}

    // Units [begin, end) as text. A sequence the encoding does not define
    // becomes U+FFFD and the conversion goes on after it.
    QString operator()(qsizetype begin, qsizetype end)
    {
        if (end <= begin)
            return QString();
        const int w = m_p.width();
        char *in = const_cast<char *>(m_p.body.constData()) + begin * w;
        size_t inLeft = static_cast<size_t>((end - begin) * w);
        // No unit of any of these encodings turns into more than one UTF-16
        // unit per byte, a replaced one included.
        QString text(static_cast<qsizetype>(inLeft) + 1, Qt::Uninitialized);
        char *const start = reinterpret_cast<char *>(text.data());
        char *out = start;
        size_t outLeft = static_cast<size_t>(text.size()) * 2;
        m_cd.reset();
        while (!m_cd.convert(&in, &inLeft, &out, &outLeft)) {
            if ((errno != EILSEQ && errno != EINVAL) || outLeft < 2)
                throw ConversionFailure();
            const char16_t replacement = 0xFFFD;
            memcpy(out, &replacement, 2);
            out += 2;
            outLeft -= 2;
            const size_t skip = std::min(inLeft, static_cast<size_t>(w));
            in += skip;
            inLeft -= skip;
            m_cd.reset();
        }
        m_cd.finish(&out, &outLeft);
        text.truncate((out - start) / 2);
        return text;
    }

    // The same with blanks around it dropped.
    QString trimmed(qsizetype begin, qsizetype end)
    {
        while (begin < end && isBlank(m_p.at(begin)))
            ++begin;
        while (end > begin && isBlank(m_p.at(end - 1)))
            --end;
        return (*this)(begin, end);
    }

private:
    const ProfileBytes &m_p;
    Iconv m_cd;
};

// The text in the profile's encoding; a character the encoding cannot hold
// (anything outside Windows-1251 in such a file) becomes "?".
QByteArray encode(Encoding encoding, const QString &text)
{
    if (text.isEmpty())
        return QByteArray();
    Iconv cd(charsetOf(encoding), kTextCharset);
    const QByteArray question = encoding == Encoding::Utf16Le   ? QByteArray("?\0", 2)
                                : encoding == Encoding::Utf16Be ? QByteArray("\0?", 2)
                                                                : QByteArray("?");
    char *in = reinterpret_cast<char *>(const_cast<QChar *>(text.constData()));
    size_t inLeft = static_cast<size_t>(text.size()) * 2;
    // At most three bytes per UTF-16 unit (UTF-8), plus room for a closing
    // sequence.
    QByteArray bytes(text.size() * 3 + 16, Qt::Uninitialized);
    char *const start = bytes.data();
    char *out = start;
    size_t outLeft = static_cast<size_t>(bytes.size());
    while (!cd.convert(&in, &inLeft, &out, &outLeft)) {
        if ((errno != EILSEQ && errno != EINVAL) || outLeft < static_cast<size_t>(question.size()))
            throw ConversionFailure();
        memcpy(out, question.constData(), static_cast<size_t>(question.size()));
        out += question.size();
        outLeft -= static_cast<size_t>(question.size());
        // One character: a surrogate pair counts as one.
        const auto *unit = reinterpret_cast<const char16_t *>(in);
        size_t skip = 2;
        if (inLeft >= 4 && QChar::isHighSurrogate(unit[0]) && QChar::isLowSurrogate(unit[1]))
            skip = 4;
        skip = std::min(skip, inLeft);
        in += skip;
        inLeft -= skip;
        cd.reset();
    }
    cd.finish(&out, &outLeft);
    bytes.truncate(out - start);
    return bytes;
}

// One line of the profile in units: [begin, contentEnd) is its text,
// [contentEnd, end) its line end ("\r\n", "\n", or nothing on a last line
// without one).
struct Line {
    qsizetype begin = 0;
    qsizetype contentEnd = 0;
    qsizetype end = 0;
    bool hasEnd() const { return end > contentEnd; }
    bool crlf() const { return end - contentEnd == 2; }
};

// Where a key is, or where it would go.
struct Lookup {
    bool sectionFound = false;
    bool keyFound = false;
    Line anchor;       // the section's last key line, or its header line
    qsizetype valueBegin = 0, valueEnd = 0; // the key's value (after "=")
    Line lastLine;     // the file's last line, when the section is missing
    bool haveLines = false;
    int lineEnds = 0;  // the last line end scanned: 0 none, 1 LF, 2 CRLF
};

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Scans the profile once, line by line. A section header is a line whose first
// non-blank character is "[" and that has a "]" after it; a key line in a
// section is any other line with "=" in it. The first section with the name
// and the first key with the name in it count, as in the Windows reader.
Lookup lookup(const ProfileBytes &p, Decoder &decode, const QString &section, const QString &key)
{
    Lookup r;
    bool inSection = false;
    const qsizetype n = p.units();
    qsizetype pos = 0;
    while (pos < n) {
        const qsizetype nl = p.find(u'\n', pos, n);
        Line line;
        line.begin = pos;
        line.end = nl < n ? nl + 1 : n;
        line.contentEnd = nl < n && nl > pos && p.at(nl - 1) == u'\r' ? nl - 1 : nl;
        if (line.hasEnd())
            r.lineEnds = line.crlf() ? 2 : 1;
        r.lastLine = line;
        r.haveLines = true;
        pos = line.end;

        qsizetype first = line.begin;
        while (first < line.contentEnd && isBlank(p.at(first)))
            ++first;
        if (first < line.contentEnd && p.at(first) == u'[') {
            const qsizetype close = p.find(u']', first + 1, line.contentEnd);
            if (close < line.contentEnd) {
                if (inSection)
                    return r; // the section ends here
                if (sameName(decode.trimmed(first + 1, close), section)) {
                    inSection = true;
                    r.sectionFound = true;
                    r.anchor = line;
                }
                continue;
            }
        }
        if (!inSection)
            continue;
        const qsizetype eq = p.find(u'=', first, line.contentEnd);
        if (eq == line.contentEnd)
            continue;
        r.anchor = line;
        if (sameName(decode.trimmed(first, eq), key)) {
            r.keyFound = true;
            r.valueBegin = eq + 1;
            r.valueEnd = line.contentEnd;
            return r;
        }
    }
    return r;
}

// File access. Paths go to the system in the local 8-bit encoding.
struct FileDescriptor {
    int fd = -1;
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

enum class ReadResult { Read, Missing, Failed };

// The whole file; Missing when there is no file at the path.
ReadResult readFile(const QByteArray &path, QByteArray *data)
{
    FileDescriptor f;
    // Non-blocking so that a FIFO or device at the path cannot hang the open.
    f.fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (f.fd < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    struct stat st;
    if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode))
        return ReadResult::Failed;
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(f.fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return ReadResult::Failed;
        }
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    *data = bytes;
    return ReadResult::Read;
}

// A value is written on one line: line breaks and NULs in it would end the
// line early and could forge sections of their own, so they become blanks.
QString oneLine(const QString &value)
{
    QString v = value;
    for (QChar &c : v)
        if (c == u'\r' || c == u'\n' || c == QChar(0))
            c = u' ';
    return v;
}

// The profile with key in section set to value: the new bytes of the whole
// file.
QByteArray withValue(const ProfileBytes &p, const QString &section, const QString &key, const QString &value)
{
    Decoder decode(p);
    const Lookup r = lookup(p, decode, section, key);
    const int w = p.width();
    const QString line = key + u'=' + oneLine(value);

    if (r.keyFound) {
        return p.bom + p.body.left(r.valueBegin * w) + encode(p.encoding, oneLine(value))
               + p.body.mid(r.valueEnd * w) + p.tail;
    }

    // An added line ends as the nearest line before it that has a line end
    // (the last line of a file may have none); CRLF, as Windows writes, in a
    // new file or one without any line end.
    const auto lineEndAfter = [&](const Line &l) {
        const bool crlf = l.hasEnd() ? l.crlf() : r.lineEnds != 1;
        return crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    };

    qsizetype at;
    QString insert;
    if (r.sectionFound) {
        // After the section's last key line, before any comments or blank
        // lines that follow it.
        const QString eol = lineEndAfter(r.anchor);
        at = r.anchor.end;
        insert = (r.anchor.hasEnd() ? QString() : eol) + line + eol;
    } else {
        const QString eol = r.haveLines ? lineEndAfter(r.lastLine) : QStringLiteral("\r\n");
        at = p.units();
        const bool needEnd = r.haveLines && !r.lastLine.hasEnd();
        insert = (needEnd ? eol : QString()) + u'[' + section + u']' + eol + line + eol;
    }
    return p.bom + p.body.left(at * w) + encode(p.encoding, insert) + p.body.mid(at * w) + p.tail;
}

} // namespace

QString readProfileString(const QString &path, const QString &section, const QString &key,
                          const QString &fallback)
{
    QByteArray file;
    if (readFile(QFile::encodeName(path), &file) != ReadResult::Read)
        return fallback;
    const ProfileBytes p = splitEncoding(file);
    try {
        Decoder decode(p);
        const Lookup r = lookup(p, decode, section, key);
        if (!r.keyFound)
            return fallback;
        qsizetype begin = r.valueBegin, end = r.valueEnd;
        while (begin < end && isBlank(p.at(begin)))
            ++begin;
        while (end > begin && isBlank(p.at(end - 1)))
            --end;
        // No character takes more than four units, so this many units hold
        // more than the longest value returned.
        end = std::min(end, begin + 4 * (kMaxValueLength + 1));
        QString value = decode(begin, end);
        // The value ends at a NUL, as a C string would.
        const qsizetype nul = value.indexOf(QChar(0));
        if (nul >= 0)
            value.truncate(nul);
        if (value.size() > kMaxValueLength) {
            value.truncate(kMaxValueLength);
            if (value.back().isHighSurrogate())
                value.chop(1);
        }
        return value;
    } catch (const ConversionFailure &) {
        throw OrvelError(QStringLiteral("Unable to read %1").arg(path));
    }
}

void writeProfileString(const QString &path, const QString &section, const QString &key,
                        const QString &value)
{
    const OrvelError failure(QStringLiteral("Unable to write to %1").arg(path));
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    const bool exists = ::stat(name.constData(), &st) == 0;
    if (!exists && errno != ENOENT)
        throw failure;
    QByteArray file;
    if (exists && (!S_ISREG(st.st_mode) || readFile(name, &file) != ReadResult::Read))
        throw failure;
    try {
        // The writer keeps the file's permissions and owner, replaces the
        // file a symbolic link points to, and refuses a read-only file or
        // folder.
        if (!replaceFileContents(path, withValue(splitEncoding(file), section, key, value)).isEmpty())
            throw failure;
    } catch (const ConversionFailure &) {
        throw failure;
    }
}

} // namespace orvel
