#include "office/ProfileSeed.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <mutex>

namespace orvel {

namespace {

ProfileSeed readProfileSeed(const QString &programDir)
{
    ProfileSeed seed;
    QFile versionrc(QDir(programDir).filePath(QStringLiteral("versionrc")));
    if (versionrc.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : versionrc.readAll().split('\n'))
            if (line.startsWith("buildid="))
                seed.buildId = line.mid(8).trimmed();
    }
    QFile registry(QDir(programDir).filePath(QStringLiteral("../share/registry/main.xcd")));
    if (registry.open(QIODevice::ReadOnly)) {
        const QByteArray xcd = registry.readAll();
        // The value, not the schema entry (which goes on with its type).
        const int prop = xcd.indexOf("oor:name=\"ooSetupVersion\">");
        const int start = prop < 0 ? -1 : xcd.indexOf("<value>", prop);
        const int end = start < 0 ? -1 : xcd.indexOf("</value>", start);
        if (end > start) {
            const QByteArray version = xcd.mid(start + 7, end - start - 7).trimmed();
            static const QRegularExpression plain(QStringLiteral("^[0-9]+\\.[0-9]+(\\.[0-9]+)*$"));
            if (plain.match(QString::fromLatin1(version)).hasMatch())
                seed.productVersion = version;
        }
    }
    return seed;
}

} // namespace

ProfileSeed profileSeed(const QString &programDir)
{
    static std::mutex mutex;
    static QString dir;
    static ProfileSeed seed;
    std::lock_guard<std::mutex> lock(mutex);
    if (dir != programDir) {
        seed = readProfileSeed(programDir);
        dir = programDir;
    }
    return seed;
}

void seedProfile(const QDir &profile, const ProfileSeed &seed)
{
    auto write = [&](const QString &name, const QByteArray &content) {
        profile.mkpath(QFileInfo(profile.filePath(name)).path());
        QFile f(profile.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(content);
    };
    // Without either the office starts as it would without both: slower.
    if (!seed.buildId.isEmpty())
        write(QStringLiteral("user/extensions/buildid"), seed.buildId);
    if (!seed.productVersion.isEmpty())
        write(QStringLiteral("user/registrymodifications.xcu"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
              "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
              "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
              "<item oor:path=\"/org.openoffice.Setup/Product\"><prop oor:name=\"ooSetupLastVersion\" "
              "oor:op=\"fuse\"><value>"
                  + seed.productVersion + "</value></prop></item>\n</oor:items>\n");
}

} // namespace orvel
