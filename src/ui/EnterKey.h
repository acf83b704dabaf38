#pragma once
// Enter in a field as a second way to press the button beside it.
#include "ui/ErrorBox.h"

#include <QAbstractSpinBox>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

#include <functional>
#include <utility>

namespace orvel {

class EnterKeyFilter : public QObject {
public:
    EnterKeyFilter(QWidget *field, QWidget *owner, std::function<void()> handler)
        : QObject(field), m_owner(owner), m_handler(std::move(handler))
    {
        field->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return QObject::eventFilter(watched, event);
        // A date field takes what was typed before the handler reads it.
        if (auto *spin = qobject_cast<QAbstractSpinBox *>(watched))
            spin->interpretText();
        runHandler(m_owner, m_handler);
        return true;
    }

private:
    QWidget *m_owner;
    std::function<void()> m_handler;
};

// Runs `handler` under runHandler (boxes owned by `owner`) when Enter or
// Return is pressed in `field`; the key goes no further.
inline void onEnter(QWidget *field, QWidget *owner, std::function<void()> handler)
{
    new EnterKeyFilter(field, owner, std::move(handler));
}

} // namespace orvel
