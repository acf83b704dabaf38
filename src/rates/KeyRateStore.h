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
// its knownUntil; the older answers of the folder then go (the shipped file
// is never touched). A failed request replaces nothing.
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
    // (or there is none) and the bank has not been asked on `today` during
    // this run, asks it (off this thread). Nothing is asked while a request
    // runs, nor with an empty service URL. An answer kept under `today`
    // makes the data current for the rest of the day, in later runs too.
    // A request that failed counts as asked; one cancelled does not.
    void refresh(const QDate &today);
    bool busy() const;
    // Drops the running request at once (nothing of it is kept or used) and
    // emits finished(); the next refresh() asks again.
    void cancel();

    // Why the last request failed ("нет связи с сервером ЦБ РФ", "сервер ЦБ
    // РФ ответил ошибкой 500", the reader's message), or why its answer,
    // though used, could not be kept ("не удалось сохранить файл ..."), or
    // empty. Starts with a small letter, to follow a colon or a bracket.
    QString lastError() const;

    // What a window says for a day the data does not speak for, or an empty
    // text for a day it does: keyRateGap()'s message, and for a day after
    // the data ends while the last request failed, its reason:
    //   "Ключевая ставка известна по 20.03.2026: нет связи с сервером ЦБ РФ"
    QString missingDayMessage(const QDate &day) const;

    // For the windows' "KeyRateStatus" line, e.g.
    //   "Ключевая ставка: по данным ЦБ РФ на 10.12.2026, известна по 10.12.2026"
    //   "Ключевая ставка: из кэша, известна по 01.12.2026"
    //   "Ключевая ставка: встроенные данные, известна по 20.03.2026"
    // followed, after a failed request, by its reason in brackets.
    QString statusText() const;

signals:
    void updated();   // current() changed (a newer answer arrived)
    void finished();  // a request ended or was cancelled, with or without new data (see lastError())

private:
    struct State;
    std::unique_ptr<State> d;
};

} // namespace orvel
