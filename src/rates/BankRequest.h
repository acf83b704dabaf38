#pragma once
// Asking the bank without holding up the window: a job (fetch, read, check,
// keep in the cache) runs on a thread of its own, and its result comes back
// on the thread that started it, through that thread's event loop.
//
//   BankRequest request;                        // e.g. a member of a window
//   request.start<DatedRates>(limits,
//       [=](const RequestContext &c) { return loadRatesOnDate(source, day, c); },
//       [=](RequestResult<DatedRates> r) { show(r.take()); }); // take() rethrows the job's error
//   connect(&request, &BankRequest::progress, ...);             // bytes so far
//   request.cancel();                           // at once; nothing is delivered
//
// One request at a time: starting another cancels the one running. A job
// that was cancelled (or replaced, or whose BankRequest is gone) is dropped:
// its result is never delivered, and once its context says so it keeps
// nothing. Neither cancel() nor the destructor ever waits for the network;
// a fetch that was cancelled stops within about a second on its own thread,
// and the threads are joined when the application object goes.
#include "rates/HttpFetch.h"

#include <QObject>
#include <QString>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace orvel {

// What the windows say about a fetch that failed, before the note on the
// cache: "Нет связи с сервером ЦБ РФ", "Сервер ЦБ РФ ответил ошибкой 500",
// "Ответ сервера ЦБ РФ слишком велик"... Empty for a fetch that did not fail.
QString bankFetchFailure(const FetchResult &result);

// What a job is given: the fetch with its request's limits, cancel flag and
// progress, and the gate before the cache.
class RequestContext {
public:
    // For a job run to its end on the caller's own thread: never cancelled.
    explicit RequestContext(const FetchLimits &limits);

    FetchResult fetch(const HttpRequest &request) const;
    bool cancelled() const;
    // Asked right before the job keeps anything: false once the request is
    // cancelled. After a true answer a cancel no longer stops the job (the
    // document being kept has passed every check), though its result is
    // still dropped.
    bool commit() const;

    struct State;

private:
    friend class BankRequest;
    RequestContext(const FetchLimits &limits, std::shared_ptr<State> state);

    FetchLimits m_limits;
    std::shared_ptr<State> m_state;
};

// A job's result as it reaches the caller.
template <typename T>
class RequestResult {
public:
    // The job's value, or the error it threw, thrown again here.
    T take()
    {
        if (m_error)
            std::rethrow_exception(m_error);
        return std::move(*m_value);
    }

private:
    friend class BankRequest;
    std::optional<T> m_value;
    std::exception_ptr m_error;
};

class BankRequest : public QObject {
    Q_OBJECT

public:
    explicit BankRequest(QObject *parent = nullptr);
    ~BankRequest() override; // cancels what runs

    // Runs job(context) on a thread of its own and then done(result) on this
    // object's thread, unless cancelled or replaced first. `limits` are the
    // fetch's. `done` may start the next request; it deletes this object
    // only with deleteLater().
    template <typename T>
    void start(const FetchLimits &limits, std::function<T(const RequestContext &)> job,
               std::function<void(RequestResult<T>)> done)
    {
        auto result = std::make_shared<RequestResult<T>>();
        startJob(
            limits,
            [job = std::move(job), result](const RequestContext &context) {
                try {
                    result->m_value.emplace(job(context));
                } catch (...) {
                    result->m_error = std::current_exception();
                }
            },
            [done = std::move(done), result] { done(std::move(*result)); });
    }

    // Drops the running request, if any: at once, without waiting for it.
    void cancel();
    bool isRunning() const { return m_state != nullptr; }

signals:
    // The bytes of the running request's answer received so far.
    void progress(qint64 received);

private:
    friend class RequestContext;
    void startJob(const FetchLimits &limits, std::function<void(const RequestContext &)> job,
                  std::function<void()> deliver);
    void jobEnded(const RequestContext::State *state);
    void progressed(const RequestContext::State *state);
    // Posts the job's end or its progress to the owner, if it still waits.
    static void notify(const std::shared_ptr<RequestContext::State> &state, bool ended);

    std::shared_ptr<RequestContext::State> m_state; // of the running request
    std::function<void()> m_deliver;
};

} // namespace orvel
