#pragma once
// System-wide F1..F5. On X11 each key is grabbed on the root window (also with
// Num Lock and Caps Lock on), so it reaches the main window whichever client
// has the focus, and that client never sees it. A key that another client
// already holds is skipped silently. Without X11 (Wayland, offscreen) the keys
// become application-wide shortcuts instead.
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace orvel {

class HotKeys {
public:
    // onHotKey receives the identifier of a registered key.
    HotKeys(QWidget *window, std::function<void(int)> onHotKey);
    ~HotKeys();
    HotKeys(const HotKeys &) = delete;
    HotKeys &operator=(const HotKeys &) = delete;

    // Registers F<fkey> (1..12) under identifier id; the result tells whether
    // the key is now held (false when another client holds it).
    bool registerKey(int id, int fkey);

    // True when the keys are grabbed on an X server rather than being shortcuts.
    bool systemWide() const;

    struct Impl;

private:
    std::unique_ptr<Impl> d;
};

} // namespace orvel
