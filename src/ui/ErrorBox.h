#pragma once
// The error box, and the guard that every event handler runs inside.
#include "calc/OrvelError.h"

#include <QString>
#include <QWidget>

#include <exception>
#include <utility>

namespace orvel {

// The application title: the caption of every error box.
QString applicationTitle();
void setApplicationTitle(const QString &title);

// The text the box shows: the message, then "." unless the message already
// ends with "." or with a character that comes before "." in code order.
QString errorBoxText(const QString &message);

// Modal box: caption the application title, error icon, OK.
void showErrorBox(QWidget *parent, const QString &message);

// Runs one event handler; an error that leaves it is shown in the error box
// and the program goes on. What the handler did before the error stays done.
// How many handlers are running now (a handler that shows a modal box is
// still running while the box is open).
inline int &runningHandlers()
{
    static int depth = 0;
    return depth;
}

template <typename F>
void runHandler(QWidget *owner, F &&handler)
{
    struct Depth {
        Depth() { ++runningHandlers(); }
        ~Depth() { --runningHandlers(); }
    } depth;
    try {
        std::forward<F>(handler)();
    } catch (const OrvelError &e) {
        showErrorBox(owner, e.message());
    } catch (const std::bad_alloc &) {
        showErrorBox(owner, QStringLiteral("Out of memory"));
    } catch (const std::exception &e) {
        showErrorBox(owner, QString::fromLocal8Bit(e.what()));
    }
}

} // namespace orvel

#include <QObject>

namespace orvel {

// Connects a signal of a control to a handler of its window; the handler runs
// under runHandler. The signal's own arguments are not passed on.
template <typename Sender, typename Signal, typename F>
void onEvent(Sender *sender, Signal signal, QWidget *owner, F handler)
{
    QObject::connect(sender, signal, owner, [owner, handler]() { runHandler(owner, handler); });
}

} // namespace orvel
