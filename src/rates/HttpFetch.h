#pragma once
// Fetching the daily rate document over HTTP.
#include <QByteArray>
#include <QString>

#include <optional>

namespace orvel {

struct FetchLimits {
    long connectTimeoutMs = 5000;
    long totalTimeoutMs = 20000;
    qint64 maxBytes = 4 * 1024 * 1024;
    // For tests: a PEM file of the certificate authorities that https
    // answers are checked against. Empty, as the program leaves it: the
    // system's store (ca-certificates). Certificates are always checked.
    QString caFile;
};

// The User-Agent every request carries: a browser-style string that also
// names Orvel and its version (the bank refuses requests without one).
QString userAgent();

// GET url (http or https), following redirects. Returns the body of a 2xx
// answer; nothing when the connection, the answer's status, its size or a
// time limit fails. `error` (when given) receives a short reason.
std::optional<QByteArray> httpGet(const QString &url, const FetchLimits &limits = {},
                                  QString *error = nullptr);

} // namespace orvel
