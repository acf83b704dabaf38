#include "HotKeys.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

#include <vector>

namespace orvel {

struct HotKeys::Impl {
    QWidget *window = nullptr;
    std::function<void(int)> onHotKey;
    std::vector<QShortcut *> shortcuts;
};

HotKeys::HotKeys(QWidget *window, std::function<void(int)> onHotKey) : d(std::make_unique<Impl>())
{
    d->window = window;
    d->onHotKey = std::move(onHotKey);
}

HotKeys::~HotKeys()
{
    for (QShortcut *s : d->shortcuts)
        delete s;
}

bool HotKeys::registerKey(int id, int fkey)
{
    auto *s = new QShortcut(QKeySequence(Qt::Key_F1 + (fkey - 1)), d->window);
    s->setContext(Qt::ApplicationShortcut);
    auto cb = d->onHotKey;
    QObject::connect(s, &QShortcut::activated, d->window, [cb, id]() { cb(id); });
    d->shortcuts.push_back(s);
    return true;
}

bool HotKeys::systemWide() const { return false; }

} // namespace orvel
