#pragma once
// The key rate Orvel works with: the newest of the answer kept in the cache
// folder and the one shipped beside the program, brought up to date from the
// bank at most once a day, when a window that needs it opens.
//
// The bank's service is a SOAP call (KeyRateXML) to a URL that is a
// parameter, like the converter's host. It runs off the caller's thread;
// until it answers, the kept data is used, and the windows update when it
// arrives. An answer is kept only once it has read and passed the reader's
// checks (readKeyRateAnswer), atomically, as keyrate-YYYY-MM-DD.xml named by
// its knownUntil.
#include "rates/KeyRate.h"

#include <QDate>
#include <QObject>
#include <QString>

#include <memory>

namespace orvel {

// The bank's service; the default of KeyRateStore's URL.
QString defaultKeyRateUrl(); // "https://www.cbr.ru/DailyInfoWebServ/DailyInfo.asmx"
// The file shipped beside the program: programFolder() + "/keyrate-2026-03-20.xml".
QString shippedKeyRateFile();
// folder + "/keyrate-YYYY-MM-DD.xml"
QString keyRateCacheFile(const QString &folder, const QDate &knownUntil);

// Where the rates in use came from.
enum class KeyRateSource {
    Bank,    // the bank answered during this run
    Cache,   // an answer kept by an earlier run
    Shipped, // the data shipped with the program
};

struct KeyRateData {
    KeyRateHistory history;
    KeyRateSource source = KeyRateSource::Shipped;
    QDate answeredOn; // Bank, Cache: the day the bank's answer was asked up to (= knownUntil)
};

class KeyRateStore : public QObject {
    Q_OBJECT

public:
    // Reads what is kept at once (cache folder, then the shipped file); asks
    // nothing. Without any readable data current().history has no steps.
    KeyRateStore(const QString &serviceUrl, const QString &cacheFolder, const QString &shippedFile,
                 QObject *parent = nullptr);
    ~KeyRateStore() override;

    const KeyRateData &current() const;

    // A window that needs the rate opened: when the data ends before `today`
    // and the bank has not been asked today, asks it (off this thread).
    void refresh(const QDate &today);
    bool busy() const;
    void cancel();

    // Why the last request failed ("нет связи с сервером ЦБ РФ", "сервер ЦБ
    // РФ ответил ошибкой 500", the reader's message), or empty.
    QString lastError() const;

    // For the windows' "KeyRateStatus" line, e.g.
    //   "Ключевая ставка: по данным ЦБ РФ на 10.12.2026, известна по 10.12.2026"
    //   "Ключевая ставка: из кэша, известна по 01.12.2026"
    //   "Ключевая ставка: встроенные данные, известна по 20.03.2026"
    // followed, after a failed request, by its reason.
    QString statusText() const;

signals:
    void updated();   // current() changed (a newer answer arrived)
    void finished();  // a request ended, with or without new data (see lastError())

private:
    struct State;
    std::unique_ptr<State> d;
};

} // namespace orvel
