#pragma once
#include <QString>

namespace orvel {
// Gives a control its form name as objectName and returns it, so a window can
// build and name its controls in one line.
template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
} // namespace orvel
