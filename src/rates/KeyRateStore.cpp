#include "rates/KeyRateStore.h"

#include "calc/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <optional>

namespace orvel {

namespace {

QString shownDate(const QDate &day) { return day.toString(QStringLiteral("dd.MM.yyyy")); }

// The day a kept file's name says its data is known until, or an invalid date.
QDate keptUntil(const QString &fileName)
{
    static const QRegularExpression name(QStringLiteral("^keyrate-(\\d{4}-\\d{2}-\\d{2})\\.xml$"));
    const QRegularExpressionMatch m = name.match(fileName);
    return m.hasMatch() ? QDate::fromString(m.captured(1), Qt::ISODate) : QDate();
}

// The file read as an answer known until `until`; nothing when it does not
// read (a damaged file counts as absent).
std::optional<KeyRateHistory> readKept(const QString &path, const QDate &until)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxKeyRateAnswer)
        return std::nullopt;
    try {
        return readKeyRateAnswer(file.readAll(), until);
    } catch (const OrvelError &) {
        return std::nullopt;
    }
}

// The newest kept answer of the folder that reads.
std::optional<KeyRateData> newestCached(const QString &folder)
{
    if (folder.isEmpty())
        return std::nullopt;
    QStringList names = QDir(folder).entryList({QStringLiteral("keyrate-*.xml")}, QDir::Files, QDir::Name);
    // ISO dates in the names: the last in name order is the newest.
    for (auto it = names.crbegin(); it != names.crend(); ++it) {
        const QDate until = keptUntil(*it);
        if (!until.isValid())
            continue;
        if (auto history = readKept(folder + QLatin1Char('/') + *it, until))
            return KeyRateData{std::move(*history), KeyRateSource::Cache, until};
    }
    return std::nullopt;
}

} // namespace

QString defaultKeyRateUrl() { return QStringLiteral("https://www.cbr.ru/DailyInfoWebServ/DailyInfo.asmx"); }

QString shippedKeyRateFile() { return programFolder() + QStringLiteral("/keyrate-2026-03-20.xml"); }

QString keyRateCacheFile(const QString &folder, const QDate &knownUntil)
{
    return folder + QStringLiteral("/keyrate-") + knownUntil.toString(Qt::ISODate) + QStringLiteral(".xml");
}

struct KeyRateStore::State {
    QString serviceUrl, cacheFolder, shippedFile;
    KeyRateData current;
    QDate askedOn; // the day the bank was last asked in this run
    QString lastError;
    bool busy = false;
};

KeyRateStore::KeyRateStore(const QString &serviceUrl, const QString &cacheFolder, const QString &shippedFile,
                           QObject *parent)
    : QObject(parent), d(std::make_unique<State>())
{
    d->serviceUrl = serviceUrl;
    d->cacheFolder = cacheFolder;
    d->shippedFile = shippedFile;
    const QDate shippedUntil = keptUntil(QFileInfo(shippedFile).fileName());
    if (auto shipped = readKept(shippedFile, shippedUntil))
        d->current = KeyRateData{std::move(*shipped), KeyRateSource::Shipped, QDate()};
    if (auto cached = newestCached(cacheFolder))
        if (d->current.history.steps.empty() || cached->history.knownUntil > d->current.history.knownUntil)
            d->current = std::move(*cached);
}

KeyRateStore::~KeyRateStore() = default;

const KeyRateData &KeyRateStore::current() const { return d->current; }

void KeyRateStore::refresh(const QDate &today)
{
    // Asking the bank comes with the asynchronous fetch; until then the kept
    // data is what there is.
    (void)today;
}

bool KeyRateStore::busy() const { return d->busy; }

void KeyRateStore::cancel() {}

QString KeyRateStore::lastError() const { return d->lastError; }

QString KeyRateStore::statusText() const
{
    const KeyRateData &c = d->current;
    if (c.history.steps.empty())
        return QStringLiteral("Ключевая ставка: нет данных")
               + (d->lastError.isEmpty() ? QString() : QStringLiteral(" (") + d->lastError + QLatin1Char(')'));
    QString from;
    switch (c.source) {
    case KeyRateSource::Bank:
        from = QStringLiteral("по данным ЦБ РФ на ") + shownDate(c.answeredOn);
        break;
    case KeyRateSource::Cache:
        from = QStringLiteral("из кэша");
        break;
    case KeyRateSource::Shipped:
        from = QStringLiteral("встроенные данные");
        break;
    }
    QString text = QStringLiteral("Ключевая ставка: %1, известна по %2").arg(from, shownDate(c.history.knownUntil));
    if (!d->lastError.isEmpty())
        text += QStringLiteral(" (") + d->lastError + QLatin1Char(')');
    return text;
}

} // namespace orvel
