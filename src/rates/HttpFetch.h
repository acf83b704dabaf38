#pragma once
// Fetching the bank's documents over HTTP(S).
#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
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

// What is asked: a GET of `url`, or a POST of `body` when method is Post.
// Headers are whole lines, "Name: value". A redirect keeps a POST a POST.
struct HttpRequest {
    enum class Method { Get, Post };
    QString url;
    Method method = Method::Get;
    QByteArray body;
    QList<QByteArray> headers;
};

// How a fetch ended.
enum class FetchFailure {
    None,         // a 2xx answer: the body is the document
    NoConnection, // no connection was made, or nothing arrived within the time limit
    Slow,         // the answer began but did not end within the time limit
    HttpStatus,   // the server answered with a status outside 2xx
    TooLarge,     // the answer is larger than maxBytes
    Redirects,    // more redirects than allowed (a redirect loop)
    Cancelled,    // the caller's cancel flag was set
    Other,        // anything else: a broken connection, a refused certificate...
};

struct FetchResult {
    FetchFailure failure = FetchFailure::Other;
    long status = 0;   // the last HTTP status, 0 when none came
    QByteArray body;   // only for FetchFailure::None
    QString detail;    // libcurl's reason, for logs and tests (English)
    bool ok() const { return failure == FetchFailure::None; }
};

// A fetch's cancel flag and progress, both used on the fetching thread.
struct FetchControl {
    // Set (from any thread): the fetch stops at libcurl's next call back,
    // at the latest about a second later, and ends Cancelled.
    const std::atomic<bool> *cancel = nullptr;
    // The bytes of the body received so far, each time they grow.
    std::function<void(qint64 received)> progress;
};

// The User-Agent every request carries: a browser-style string that also
// names Orvel and its version (the bank refuses requests without one).
QString userAgent();

// Makes the request (http or https only, up to five redirects, the
// certificate checked against the host name) within `limits`.
FetchResult httpFetch(const HttpRequest &request, const FetchLimits &limits, const FetchControl &control = {});

// GET url with httpFetch. Returns the body of a 2xx answer; nothing when the
// connection, the answer's status, its size or a time limit fails. `error`
// (when given) receives a short reason.
std::optional<QByteArray> httpGet(const QString &url, const FetchLimits &limits = {}, QString *error = nullptr);

} // namespace orvel
