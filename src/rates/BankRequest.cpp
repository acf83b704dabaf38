#include "rates/BankRequest.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <atomic>
#include <mutex>

namespace orvel {

// Shared by the owner and the job's thread.
struct RequestContext::State {
    enum Stage { Running, Keeping, Cancelled };
    std::atomic<int> stage{Running};
    std::atomic<bool> stopFetch{false}; // the fetch's cancel flag
    std::atomic<qint64> received{0};
    std::atomic<bool> progressPosted{false};
    // The owner while it waits for this request; null once it let go. Held
    // while something is posted to it, so the owner cannot go meanwhile.
    std::mutex mutex;
    BankRequest *owner = nullptr;
};

namespace {

using State = RequestContext::State;

// The threads the jobs run on. Waits for them when the application object
// goes (a cancelled fetch ends within about a second). A job that waits for
// the network holds its thread, so the pool is not the global one, whose
// size is the number of cores.
QThreadPool *jobThreads()
{
    static std::mutex mutex;
    static QThreadPool *pool = nullptr;
    const std::lock_guard<std::mutex> lock(mutex);
    if (!pool) {
        pool = new QThreadPool;
        pool->setMaxThreadCount(8);
        qAddPostRoutine([] {
            QThreadPool *ending = nullptr;
            {
                const std::lock_guard<std::mutex> again(mutex);
                std::swap(ending, pool);
            }
            delete ending; // waits for the jobs
        });
    }
    return pool;
}

} // namespace

QString bankFetchFailure(const FetchResult &result)
{
    switch (result.failure) {
    case FetchFailure::None:
        return {};
    case FetchFailure::NoConnection:
        return QStringLiteral("Нет связи с сервером ЦБ РФ");
    case FetchFailure::Slow:
        return QStringLiteral("Сервер ЦБ РФ отвечает слишком медленно");
    case FetchFailure::HttpStatus:
        return QStringLiteral("Сервер ЦБ РФ ответил ошибкой %1").arg(result.status);
    case FetchFailure::TooLarge:
        return QStringLiteral("Ответ сервера ЦБ РФ слишком велик");
    case FetchFailure::Redirects:
        return QStringLiteral("Сервер ЦБ РФ перенаправляет запрос по кругу");
    case FetchFailure::Cancelled:
        return QStringLiteral("Запрос к серверу ЦБ РФ отменён");
    case FetchFailure::Other:
        break;
    }
    return QStringLiteral("Сбой связи с сервером ЦБ РФ");
}

RequestContext::RequestContext(const FetchLimits &limits) : m_limits(limits) {}

RequestContext::RequestContext(const FetchLimits &limits, std::shared_ptr<State> state)
    : m_limits(limits), m_state(std::move(state))
{
}

FetchResult RequestContext::fetch(const HttpRequest &request) const
{
    if (!m_state)
        return httpFetch(request, m_limits);
    FetchControl control;
    control.cancel = &m_state->stopFetch;
    const std::shared_ptr<State> state = m_state;
    control.progress = [state](qint64 received) {
        state->received = received;
        // One progress event waits at a time; it reads the latest count.
        if (!state->progressPosted.exchange(true))
            BankRequest::notify(state, false);
    };
    return httpFetch(request, m_limits, control);
}

bool RequestContext::cancelled() const { return m_state && m_state->stage == State::Cancelled; }

bool RequestContext::commit() const
{
    if (!m_state)
        return true;
    int running = State::Running;
    return m_state->stage.compare_exchange_strong(running, State::Keeping) || running == State::Keeping;
}

BankRequest::BankRequest(QObject *parent) : QObject(parent) {}

BankRequest::~BankRequest() { cancel(); }

void BankRequest::startJob(const FetchLimits &limits, std::function<void(const RequestContext &)> job,
                           std::function<void()> deliver)
{
    cancel();
    auto state = std::make_shared<State>();
    state->owner = this;
    m_state = state;
    m_deliver = std::move(deliver);
    jobThreads()->start([state, limits, job = std::move(job)] {
        if (state->stage != State::Cancelled)
            job(RequestContext(limits, state));
        notify(state, true);
    });
}

void BankRequest::notify(const std::shared_ptr<State> &state, bool ended)
{
    // Under the lock the owner cannot let go, so it is there to post to; an
    // event still waiting when it is deleted goes with it.
    const std::lock_guard<std::mutex> lock(state->mutex);
    BankRequest *owner = state->owner;
    if (!owner)
        return;
    QMetaObject::invokeMethod(
        owner, [owner, state, ended] { ended ? owner->jobEnded(state.get()) : owner->progressed(state.get()); },
        Qt::QueuedConnection);
}

void BankRequest::cancel()
{
    if (!m_state)
        return;
    std::shared_ptr<State> state = std::move(m_state);
    m_deliver = nullptr;
    state->stopFetch = true;
    int running = State::Running;
    state->stage.compare_exchange_strong(running, State::Cancelled);
    const std::lock_guard<std::mutex> lock(state->mutex);
    state->owner = nullptr;
}

void BankRequest::jobEnded(const State *state)
{
    if (!m_state || m_state.get() != state)
        return; // cancelled or replaced meanwhile
    std::function<void()> deliver = std::move(m_deliver);
    m_deliver = nullptr;
    m_state.reset();
    // The caller's handler may start another request.
    deliver();
}

void BankRequest::progressed(const State *state)
{
    if (!m_state || m_state.get() != state)
        return;
    m_state->progressPosted = false;
    emit progress(m_state->received);
}

} // namespace orvel
