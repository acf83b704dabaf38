#pragma once
// Ways to make the file system refuse a write, for the fault tests.
#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <csignal>
#include <cstdint>

#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace orveltest {

// While it lives, the calling thread obeys file permissions even when it runs
// as root: the capabilities that override them leave its effective set (they
// stay permitted and come back at the end). Without them a read-only file or
// folder refuses writes as it does for any user.
class PermissionsEnforced {
public:
    PermissionsEnforced()
    {
        if (!get(m_saved))
            return;
        __user_cap_data_struct data[2] = {m_saved[0], m_saved[1]};
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            data[cap / 32].effective &= ~(1u << (cap % 32));
        m_active = set(data);
    }
    ~PermissionsEnforced()
    {
        if (m_active)
            set(m_saved);
    }
    PermissionsEnforced(const PermissionsEnforced &) = delete;
    PermissionsEnforced &operator=(const PermissionsEnforced &) = delete;

private:
    static bool get(__user_cap_data_struct *data)
    {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        return ::syscall(SYS_capget, &header, data) == 0;
    }
    static bool set(__user_cap_data_struct *data)
    {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        return ::syscall(SYS_capset, &header, data) == 0;
    }
    __user_cap_data_struct m_saved[2] = {};
    bool m_active = false;
};

// A folder on a disk that fill() makes full: a small tmpfs mounted there when
// the process may mount one (fill() writes a file that takes the rest of it),
// else an ordinary folder, and fill() puts a file size limit of a few bytes
// on the process (writes past it fail with EFBIG instead of raising SIGXFSZ).
class SmallDisk {
public:
    explicit SmallDisk(qint64 bytes = 256 * 1024)
    {
        if (!m_dir.isValid())
            return;
        const QByteArray path = QFile::encodeName(m_dir.path());
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
        m_mounted = ::mount("tmpfs", path.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_limited) {
            ::setrlimit(RLIMIT_FSIZE, &m_oldLimit);
            std::signal(SIGXFSZ, m_oldHandler);
        }
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    // What a write says once the disk is full.
    QString fullMessage() const { return m_mounted ? QStringLiteral("No space left on device") : QStringLiteral("File too large"); }
    // The same as a failed save of the user's file words it.
    QString fullSaveReason() const { return m_mounted ? QStringLiteral("на диске нет места") : QStringLiteral("File too large"); }
    // Names of the files fill() made (to leave out of folder listings).
    QStringList fillers() const { return {QStringLiteral(".filler")}; }

    void fill()
    {
        if (m_mounted) {
            QFile filler(m_dir.filePath(QStringLiteral(".filler")));
            if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
                return;
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size()) {
            }
            return;
        }
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_oldLimit);
        rlimit limit = m_oldLimit;
        limit.rlim_cur = 16;
        m_limited = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    bool m_limited = false;
    rlimit m_oldLimit{};
    void (*m_oldHandler)(int) = SIG_DFL;
};

} // namespace orveltest
