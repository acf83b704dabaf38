#include "ui/HotKeys.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

#include <vector>

#if defined(ORVEL_HAVE_XCB) && QT_CONFIG(xcb)
#define ORVEL_X11_HOTKEYS 1
#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QMetaObject>

#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace orvel {

#ifdef ORVEL_X11_HOTKEYS
namespace {
// X keysym of F1; F2..F12 follow it.
constexpr xcb_keysym_t kKeysymF1 = 0xffbe;
// Num Lock and Caps Lock do not change what an F key means, so each key is
// held with every combination of the two.
constexpr uint16_t kNumLock = XCB_MOD_MASK_2;
constexpr uint16_t kLockMasks[] = {0, XCB_MOD_MASK_LOCK, kNumLock, XCB_MOD_MASK_LOCK | kNumLock};
// Shift, Lock, Control, Mod1..Mod5: the part of an event's state that grabs match.
constexpr uint16_t kModifierBits = 0xff;
} // namespace
#endif

struct HotKeys::Impl
#ifdef ORVEL_X11_HOTKEYS
    : public QAbstractNativeEventFilter
#endif
{
    QWidget *window = nullptr;
    std::function<void(int)> onHotKey;
    std::vector<QShortcut *> shortcuts;

    bool registerShortcut(int id, int fkey);

#ifdef ORVEL_X11_HOTKEYS
    struct Grab {
        int id;
        xcb_window_t root;
        xcb_keycode_t keycode;
        uint16_t modifiers;
    };

    xcb_connection_t *connection = nullptr;
    std::vector<xcb_window_t> roots;
    std::vector<Grab> grabs;
    // keysym → keycodes, read from the server once.
    std::vector<xcb_keysym_t> keysyms;
    uint8_t keysymsPerKeycode = 0;
    xcb_keycode_t minKeycode = 0;
    bool mappingRead = false;

    void openX11();
    void closeX11();
    std::vector<xcb_keycode_t> keycodesFor(xcb_keysym_t keysym);
    bool grab(int id, int fkey);
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;
#endif
};

bool HotKeys::Impl::registerShortcut(int id, int fkey)
{
    auto *s = new QShortcut(QKeySequence(Qt::Key_F1 + (fkey - 1)), window);
    s->setContext(Qt::ApplicationShortcut);
    auto cb = onHotKey;
    QObject::connect(s, &QShortcut::activated, window, [cb, id]() { cb(id); });
    shortcuts.push_back(s);
    return true;
}

#ifdef ORVEL_X11_HOTKEYS

void HotKeys::Impl::openX11()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    connection = x11->connection();
    // Every screen of the display: the keys act whichever screen has the focus.
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem;
         xcb_screen_next(&it))
        roots.push_back(it.data->root);
    qGuiApp->installNativeEventFilter(this);
}

void HotKeys::Impl::closeX11()
{
    if (!connection)
        return;
    if (qGuiApp) {
        qGuiApp->removeNativeEventFilter(this);
        for (const Grab &g : grabs)
            xcb_ungrab_key(connection, g.keycode, g.root, g.modifiers);
        // A round trip: once this returns, the server has let the keys go.
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    grabs.clear();
    connection = nullptr;
}

std::vector<xcb_keycode_t> HotKeys::Impl::keycodesFor(xcb_keysym_t keysym)
{
    if (!mappingRead) {
        mappingRead = true;
        const xcb_setup_t *setup = xcb_get_setup(connection);
        minKeycode = setup->min_keycode;
        const uint8_t count = uint8_t(setup->max_keycode - setup->min_keycode + 1);
        xcb_get_keyboard_mapping_reply_t *reply = xcb_get_keyboard_mapping_reply(
            connection, xcb_get_keyboard_mapping(connection, minKeycode, count), nullptr);
        if (reply) {
            keysymsPerKeycode = reply->keysyms_per_keycode;
            const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(reply);
            keysyms.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(reply));
            std::free(reply);
        }
    }
    std::vector<xcb_keycode_t> codes;
    if (keysymsPerKeycode == 0)
        return codes;
    for (size_t i = 0; i < keysyms.size(); ++i) {
        if (keysyms[i] != keysym)
            continue;
        const auto code = xcb_keycode_t(minKeycode + i / keysymsPerKeycode);
        if (codes.empty() || codes.back() != code)
            codes.push_back(code);
    }
    return codes;
}

bool HotKeys::Impl::grab(int id, int fkey)
{
    const std::vector<xcb_keycode_t> codes = keycodesFor(kKeysymF1 + xcb_keysym_t(fkey - 1));
    if (codes.empty())
        return false; // the keyboard has no such key

    struct Pending {
        Grab grab;
        xcb_void_cookie_t cookie;
    };
    std::vector<Pending> pending;
    for (xcb_window_t root : roots)
        for (xcb_keycode_t code : codes)
            for (uint16_t mods : kLockMasks)
                // owner_events 0: the press is reported to the root window even
                // when one of this program's own windows has the focus.
                pending.push_back({{id, root, code, mods},
                                   xcb_grab_key_checked(connection, 0, root, mods, code,
                                                        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)});

    // A key that another client holds fails with BadAccess; then the key is
    // left to that client entirely.
    bool held = true;
    std::vector<Grab> made;
    for (const Pending &p : pending) {
        if (xcb_generic_error_t *error = xcb_request_check(connection, p.cookie)) {
            std::free(error);
            held = false;
        } else {
            made.push_back(p.grab);
        }
    }
    if (!held) {
        for (const Grab &g : made)
            xcb_ungrab_key(connection, g.keycode, g.root, g.modifiers);
        xcb_flush(connection);
        return false;
    }
    grabs.insert(grabs.end(), made.begin(), made.end());
    return true;
}

bool HotKeys::Impl::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != QByteArrayLiteral("xcb_generic_event_t"))
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event);
    const uint16_t modifiers = key->state & kModifierBits & ~(XCB_MOD_MASK_LOCK | kNumLock);
    for (const Grab &g : grabs) {
        if (g.root != key->event || g.keycode != key->detail || modifiers != 0)
            continue;
        if (type == XCB_KEY_PRESS) {
            // Handled from the event queue like any other input, never inside
            // the reading of X events.
            auto cb = onHotKey;
            const int id = g.id;
            QMetaObject::invokeMethod(window, [cb, id] { cb(id); }, Qt::QueuedConnection);
        }
        return true;
    }
    return false;
}

#endif // ORVEL_X11_HOTKEYS

HotKeys::HotKeys(QWidget *window, std::function<void(int)> onHotKey) : d(std::make_unique<Impl>())
{
    d->window = window;
    d->onHotKey = std::move(onHotKey);
#ifdef ORVEL_X11_HOTKEYS
    d->openX11();
#endif
}

HotKeys::~HotKeys()
{
#ifdef ORVEL_X11_HOTKEYS
    d->closeX11();
#endif
    for (QShortcut *s : d->shortcuts)
        delete s;
}

bool HotKeys::registerKey(int id, int fkey)
{
    if (fkey < 1 || fkey > 12)
        return false;
#ifdef ORVEL_X11_HOTKEYS
    if (d->connection)
        return d->grab(id, fkey);
#endif
    return d->registerShortcut(id, fkey);
}

bool HotKeys::systemWide() const
{
#ifdef ORVEL_X11_HOTKEYS
    return d->connection != nullptr;
#else
    return false;
#endif
}

} // namespace orvel
