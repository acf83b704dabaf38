#pragma once
#include <QApplication>

namespace orvel {

// Keeps a cursor shape on the whole application for as long as it lives:
// the wait cursor while a handler blocks the window, the arrow over a box
// shown in the middle of such a handler.
class OverrideCursor {
public:
    explicit OverrideCursor(Qt::CursorShape shape) { QApplication::setOverrideCursor(shape); }
    ~OverrideCursor() { QApplication::restoreOverrideCursor(); }
    OverrideCursor(const OverrideCursor &) = delete;
    OverrideCursor &operator=(const OverrideCursor &) = delete;
};

} // namespace orvel
