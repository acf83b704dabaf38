#include "office/LibreOfficeCalcStart.h"

#include "office/CalcSession.h"
#include "office/StartControl.h"

#include <atomic>
#include <thread>

#include <sys/wait.h>

namespace orvel {

struct LibreOfficeCalcStart::State {
    StartControl control;
    std::unique_ptr<CalcSession> office; // the thread's until it is done
    QString failure;
    bool endedOnItsWay = false;
    std::atomic<bool> done{false};
    std::thread thread;
};

LibreOfficeCalcStart::LibreOfficeCalcStart() : s(std::make_unique<State>())
{
    std::unique_ptr<CalcSession> prepared = CalcSession::prepare();
    State *state = s.get();
    state->thread = std::thread([state, office = std::move(prepared)]() mutable {
        try {
            office->launch(&state->control);
            // Given up during the warm-up, the office is killed under it.
            state->control.publish(office->pid);
            if (!state->control.abandoned)
                office->warmUp();
            state->control.publish(0);
            state->office = std::move(office);
        } catch (const OrvelError &e) {
            state->failure = e.message();
            state->endedOnItsWay = office->endedWhileStarting || state->control.abandoned;
            office->abandon();
            office.reset();
        }
        state->done = true;
    });
}

LibreOfficeCalcStart::~LibreOfficeCalcStart()
{
    s->control.abandon();
    if (s->thread.joinable())
        s->thread.join();
    if (s->office)
        s->office->abandon();
}

bool LibreOfficeCalcStart::ready() const { return s->done && s->office; }

std::unique_ptr<LibreOfficeCalc> LibreOfficeCalcStart::take()
{
    if (s->thread.joinable())
        s->thread.join();
    std::unique_ptr<CalcSession> office = std::move(s->office);
    if (!office) {
        if (s->endedOnItsWay || s->failure.isEmpty())
            return nullptr;
        throw OrvelError(s->failure);
    }
    // A spare may have been killed while it waited: one question to the
    // office tells (the guard may not have noticed yet).
    bool alive = ::waitpid(office->pid, nullptr, WNOHANG) == 0;
    if (alive) {
        try {
            office->remote->getServiceManager();
        } catch (const css::uno::Exception &) {
            alive = false;
        }
    } else {
        office->ended();
    }
    if (!alive) {
        office->abandon();
        return nullptr;
    }
    return std::unique_ptr<LibreOfficeCalc>(new LibreOfficeCalc(std::move(office)));
}

long long LibreOfficeCalcStart::processId() const
{
    std::lock_guard<std::mutex> lock(s->control.mutex);
    if (s->control.guard)
        return s->control.guard;
    return s->done && s->office ? s->office->pid : 0;
}

} // namespace orvel
