#pragma once
// Helpers for tests that drive windows: find controls by their form names,
// click them, and answer the modal boxes they open.
#include <QAbstractButton>
#include <QApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <functional>

namespace orveltest {

template <typename T = QWidget>
T *child(QObject *root, const char *name)
{
    T *w = root->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no control named %s", name);
    return w;
}

inline void click(QObject *root, const char *name)
{
    QTest::mouseClick(child<QAbstractButton>(root, name), Qt::LeftButton);
}

// A message box as a person sees it.
struct Box {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget *owner = nullptr; // the window the box belongs to
};

// Watches for modal message boxes while it lives: records each one and
// answers it with its default (or escape) button, so handlers that show a box
// return. Other modal windows are answered by `answerOther` when given.
class ModalWatcher {
public:
    explicit ModalWatcher(std::function<void(QWidget *)> answerOther = {})
        : m_answerOther(std::move(answerOther))
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }

    QList<Box> boxes;

    QStringList texts() const
    {
        QStringList t;
        for (const Box &b : boxes)
            t << b.text;
        return t;
    }
    void clear() { boxes.clear(); }

private:
    void poll()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (!w)
            return;
        if (auto *box = qobject_cast<QMessageBox *>(w)) {
            boxes.append({box->windowTitle(), box->text(), box->icon(), box->parentWidget()});
            QAbstractButton *b = box->defaultButton() ? qobject_cast<QAbstractButton *>(box->defaultButton())
                                                      : box->escapeButton();
            if (b)
                b->click();
            else
                box->done(0);
        } else if (m_answerOther) {
            m_answerOther(w);
        }
    }

    QTimer m_timer;
    std::function<void(QWidget *)> m_answerOther;
};

// Sets the regional settings for the test and restores them afterwards.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale &locale) : m_old(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_old); }

private:
    QLocale m_old;
};

inline QLocale commaLocale() { return QLocale(QLocale::Russian, QLocale::Russia); }

} // namespace orveltest
