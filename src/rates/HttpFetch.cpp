#include "rates/HttpFetch.h"

#include <QFile>

#include <curl/curl.h>

#include <memory>

#ifndef ORVEL_VERSION
#define ORVEL_VERSION "0"
#endif

namespace orvel {

namespace {

bool globalInit()
{
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

struct EasyDeleter {
    void operator()(CURL *c) const { curl_easy_cleanup(c); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;

struct ListDeleter {
    void operator()(curl_slist *l) const { curl_slist_free_all(l); }
};
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

// Where the body goes while it arrives, and what the call backs watch.
struct Sink {
    QByteArray body;
    qint64 limit = 0;
    bool tooLarge = false;
    const FetchControl *control = nullptr;
    qint64 reported = 0;

    bool cancelled() const { return control->cancel && control->cancel->load(std::memory_order_relaxed); }
};

size_t writeBody(char *data, size_t size, size_t count, void *user)
{
    auto *sink = static_cast<Sink *>(user);
    const size_t n = size * count;
    if (sink->cancelled())
        return 0; // aborts the transfer
    if (sink->body.size() + static_cast<qint64>(n) > sink->limit) {
        sink->tooLarge = true;
        return 0;
    }
    sink->body.append(data, static_cast<qsizetype>(n));
    return n;
}

// libcurl calls this often while data moves and about once a second while
// it waits; a non-zero answer aborts the transfer.
int transferInfo(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto *sink = static_cast<Sink *>(user);
    if (sink->cancelled())
        return 1;
    if (sink->control->progress && sink->body.size() != sink->reported) {
        sink->reported = sink->body.size();
        sink->control->progress(sink->reported);
    }
    return 0;
}

// Everything the options point at lives here until the transfer ends.
struct Options {
    QByteArray url, caFile, agent, body;
    HeaderList headers;
    char errorBuffer[CURL_ERROR_SIZE] = {};
};

bool setUp(CURL *c, const HttpRequest &request, const FetchLimits &limits, Options &o, Sink &sink)
{
    o.url = request.url.toUtf8();
    o.caFile = QFile::encodeName(limits.caFile);
    o.agent = userAgent().toUtf8();
    o.body = request.body;
    curl_slist *list = nullptr;
    for (const QByteArray &line : request.headers) {
        curl_slist *longer = curl_slist_append(list, line.constData());
        if (!longer) {
            curl_slist_free_all(list);
            return false;
        }
        list = longer;
    }
    o.headers.reset(list);
    const bool post = request.method == HttpRequest::Method::Post;
    return curl_easy_setopt(c, CURLOPT_URL, o.url.constData()) == CURLE_OK
           && curl_easy_setopt(c, CURLOPT_ERRORBUFFER, o.errorBuffer) == CURLE_OK
           && curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK
           && curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK
           && curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK
           && curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L) == CURLE_OK
           // A POST that is redirected stays a POST, with its body.
           && curl_easy_setopt(c, CURLOPT_POSTREDIR, static_cast<long>(CURL_REDIR_POST_ALL)) == CURLE_OK
           && (!post
               || (curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(o.body.size())) == CURLE_OK
                   && curl_easy_setopt(c, CURLOPT_POSTFIELDS, o.body.constData()) == CURLE_OK))
           && (!o.headers || curl_easy_setopt(c, CURLOPT_HTTPHEADER, o.headers.get()) == CURLE_OK)
           && curl_easy_setopt(c, CURLOPT_USERAGENT, o.agent.constData()) == CURLE_OK
           && curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs) == CURLE_OK
           && curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs) == CURLE_OK
           && curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes)) == CURLE_OK
           && curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L) == CURLE_OK
           && curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "") == CURLE_OK
           && curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &writeBody) == CURLE_OK
           && curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink) == CURLE_OK
           && curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &transferInfo) == CURLE_OK
           && curl_easy_setopt(c, CURLOPT_XFERINFODATA, &sink) == CURLE_OK
           && curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L) == CURLE_OK
           // The bank's certificate must be valid and name the host.
           && curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK
           && curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK
           && (o.caFile.isEmpty() || curl_easy_setopt(c, CURLOPT_CAINFO, o.caFile.constData()) == CURLE_OK);
}

// Whether any of the answer came: a status line, a header or body bytes.
bool anythingArrived(CURL *c, const Sink &sink)
{
    long headerBytes = 0;
    curl_easy_getinfo(c, CURLINFO_HEADER_SIZE, &headerBytes);
    return headerBytes > 0 || !sink.body.isEmpty();
}

FetchFailure failureOf(CURLcode rc, CURL *c, const Sink &sink)
{
    if (sink.cancelled())
        return FetchFailure::Cancelled;
    if (sink.tooLarge)
        return FetchFailure::TooLarge;
    switch (rc) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
        return FetchFailure::NoConnection;
    case CURLE_OPERATION_TIMEDOUT:
        return anythingArrived(c, sink) ? FetchFailure::Slow : FetchFailure::NoConnection;
    case CURLE_FILESIZE_EXCEEDED:
        return FetchFailure::TooLarge;
    case CURLE_TOO_MANY_REDIRECTS:
        return FetchFailure::Redirects;
    case CURLE_ABORTED_BY_CALLBACK:
        return FetchFailure::Cancelled;
    default:
        return FetchFailure::Other;
    }
}

} // namespace

QString userAgent()
{
    return QStringLiteral("Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) "
                          "Orvel/") + QLatin1String(ORVEL_VERSION);
}

FetchResult httpFetch(const HttpRequest &request, const FetchLimits &limits, const FetchControl &control)
{
    FetchResult result;
    if (!globalInit()) {
        result.detail = QStringLiteral("curl_global_init failed");
        return result;
    }
    Easy easy(curl_easy_init());
    if (!easy) {
        result.detail = QStringLiteral("curl_easy_init failed");
        return result;
    }
    CURL *c = easy.get();
    Options options;
    Sink sink;
    sink.limit = limits.maxBytes;
    sink.control = &control;
    if (!setUp(c, request, limits, options, sink)) {
        result.detail = QStringLiteral("cannot set up the request");
        return result;
    }

    const CURLcode rc = curl_easy_perform(c);
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &result.status);
    if (rc != CURLE_OK || sink.tooLarge || sink.cancelled()) {
        result.failure = failureOf(rc, c, sink);
        if (result.failure == FetchFailure::TooLarge)
            result.detail = QStringLiteral("answer larger than %1 bytes").arg(limits.maxBytes);
        else
            result.detail = QString::fromLocal8Bit(options.errorBuffer[0] ? options.errorBuffer : curl_easy_strerror(rc));
        return result;
    }
    if (result.status < 200 || result.status > 299) {
        result.failure = FetchFailure::HttpStatus;
        result.detail = QStringLiteral("HTTP status %1").arg(result.status);
        return result;
    }
    result.failure = FetchFailure::None;
    result.body = std::move(sink.body);
    return result;
}

std::optional<QByteArray> httpGet(const QString &url, const FetchLimits &limits, QString *error)
{
    FetchResult r = httpFetch(HttpRequest{url, HttpRequest::Method::Get, {}, {}}, limits);
    if (r.ok())
        return std::move(r.body);
    if (error)
        *error = r.detail;
    return std::nullopt;
}

} // namespace orvel
