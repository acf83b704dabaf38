#include "calc/AtomicFile.h"

#include "calc/OrvelError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvel {

namespace {

struct FileDescriptor {
    int fd = -1;
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};


bool anyWriteBit(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }

// 0 when this process may replace the file or create files in the folder,
// otherwise why not. A file or folder that nobody may write to counts as
// read-only even for the superuser, who would pass the permission check: a
// read-only file stays read-only for every user, as the read-only attribute
// does.
int writeRefusal(const QByteArray &path, const struct stat &st, int mode)
{
    if (::faccessat(AT_FDCWD, path.constData(), mode, AT_EACCESS) != 0)
        return errno;
    return anyWriteBit(st.st_mode) ? 0 : EACCES;
}

bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    size_t left = static_cast<size_t>(data.size());
    while (left > 0) {
        const ssize_t put = ::write(fd, p, left);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += put;
        left -= static_cast<size_t>(put);
    }
    return true;
}

// Creates a new file prefix + six random characters with the given mode (less
// the umask) and returns its descriptor and name, or -1 with errno set.
int createTemporary(const QByteArray &prefix, mode_t mode, QByteArray *name)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray candidate = prefix;
        for (int i = 0; i < 6; ++i)
            candidate += letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)];
        const int fd = ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            *name = candidate;
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// Writes data to a temporary file beside target, flushes it to the disk and
// renames it over target. existing is the old file's status (null for a new
// file). Returns 0 or the error number.
int replaceFile(const QByteArray &target, const QByteArray &data, const struct stat *existing)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : target.left(slash);
    const QByteArray name = target.mid(slash + 1);

    struct stat dirStat;
    if (::stat(dir.constData(), &dirStat) != 0)
        return errno;
    if (!S_ISDIR(dirStat.st_mode))
        return ENOTDIR;
    if (const int refused = writeRefusal(dir, dirStat, W_OK | X_OK))
        return refused;

    // Hidden, named after the file, and short enough for any file system. A
    // replacement starts private and takes the old file's permissions below;
    // a new file gets those of any new file.
    const QByteArray prefix = (slash < 0 ? QByteArray() : target.left(slash + 1)) + '.' + name.left(64) + '.';
    QByteArray temp;
    FileDescriptor f;
    f.fd = createTemporary(prefix, existing ? 0600 : 0666, &temp);
    if (f.fd < 0)
        return errno;
    struct Remover {
        const QByteArray &path;
        bool armed = true;
        ~Remover()
        {
            if (armed)
                ::unlink(path.constData());
        }
    } remover{temp};

    if (existing) {
        if (existing->st_uid != ::geteuid() || existing->st_gid != ::getegid()) {
            // Only the superuser may give a file away; anyone else ends up
            // owning the new file, as with any other save.
            const int rc = ::fchown(f.fd, existing->st_uid, existing->st_gid);
            (void)rc;
        }
        if (::fchmod(f.fd, existing->st_mode & 07777) != 0)
            return errno;
    }
    if (!writeAll(f.fd, data) || ::fsync(f.fd) != 0)
        return errno;
    const int fd = f.fd;
    f.fd = -1;
    if (::close(fd) != 0)
        return errno;
    if (::rename(temp.constData(), target.constData()) != 0)
        return errno;
    remover.armed = false;

    // Make the rename itself durable. The file is already replaced, so a
    // failure here is not reported as a failed write.
    FileDescriptor d;
    d.fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d.fd >= 0 && ::fsync(d.fd) != 0) {
        // Nothing to undo.
    }
    return 0;
}

// replaceFileContents() with the error number of a failure, or 0.
int replaceContents(const QString &path, const QByteArray &bytes)
{
    // Paths go to the system in the local 8-bit encoding.
    QByteArray target = QFile::encodeName(path);
    struct stat st;
    const bool exists = ::stat(target.constData(), &st) == 0;
    if (!exists && errno != ENOENT)
        return errno;
    if (exists) {
        // Through a symbolic link the file it points to is replaced, not the
        // link.
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (!canonical.isEmpty())
            target = QFile::encodeName(canonical);
        if (S_ISDIR(st.st_mode))
            return EISDIR;
        // A pipe or a device would become a plain file.
        if (!S_ISREG(st.st_mode))
            return EOPNOTSUPP;
        if (const int refused = writeRefusal(target, st, W_OK))
            return refused;
    }
    return replaceFile(target, bytes, exists ? &st : nullptr);
}

} // namespace

QString replaceFileContents(const QString &path, const QByteArray &bytes)
{
    const int error = replaceContents(path, bytes);
    return error ? qt_error_string(error) : QString();
}

QString saveFailureReason(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT: return QStringLiteral("на диске нет места");
    case EACCES:
    case EPERM: return QStringLiteral("нет прав на запись");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("нет такой папки");
    case EROFS: return QStringLiteral("диск доступен только для чтения");
    // The writer's own refusals.
    case EISDIR: return QStringLiteral("под этим именем уже есть папка");
    case EOPNOTSUPP: return QStringLiteral("под этим именем не обычный файл");
    default: return qt_error_string(error);
    }
}

void saveFileAtomically(const QString &path, const QByteArray &bytes)
{
    if (const int error = replaceContents(path, bytes))
        throw OrvelError(QStringLiteral("Не удалось сохранить файл \"%1\": %2")
                             .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()),
                                  saveFailureReason(error)));
}

} // namespace orvel
