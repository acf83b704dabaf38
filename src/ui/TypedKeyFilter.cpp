#include "ui/TypedKeyFilter.h"

#include <QEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include <utility>

namespace orvel {

namespace {

// Whether a key types its text into a line edit, by the rule the line edit
// itself applies: Ctrl and Ctrl+Shift are shortcuts, and text that starts with
// a control character (Backspace, Delete, Return, Escape, Ctrl+letter on X11)
// edits or does nothing, but types nothing.
bool typesText(const QKeyEvent &key)
{
    const QString text = key.text();
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    if (c.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers mods = key.modifiers();
    if (mods == Qt::ControlModifier || mods == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse
           || (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
}

} // namespace

TypedKeyFilter::TypedKeyFilter(std::function<bool(QChar)> keep, QObject *field)
    : QObject(field), m_keep(std::move(keep))
{
    field->installEventFilter(this);
}

bool TypedKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    QString typed;
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (typesText(*key))
            typed = key->text();
    } else if (event->type() == QEvent::InputMethod) {
        typed = static_cast<QInputMethodEvent *>(event)->commitString();
    }
    for (const QChar c : typed)
        if (!m_keep(c))
            return true; // discarded
    return QObject::eventFilter(watched, event);
}

} // namespace orvel
