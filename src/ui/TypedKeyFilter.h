#pragma once
// Runs every character typed into a field through a handler that may discard
// it. Keys that type nothing (arrows, Backspace, Delete, Tab, shortcuts) edit
// as usual.
#include <QObject>

#include <functional>

namespace orvel {

class TypedKeyFilter : public QObject {
public:
    // keep(c) is false when c must not reach the field. Installs itself on
    // `field`, which owns it.
    TypedKeyFilter(std::function<bool(QChar)> keep, QObject *field);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<bool(QChar)> m_keep;
};

} // namespace orvel
