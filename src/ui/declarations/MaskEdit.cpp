#include "ui/declarations/MaskEdit.h"

#include "ui/ErrorBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>

namespace orvel {

// ---- the rule ----

EditMask parseEditMask(const QString &mask)
{
    EditMask m;
    int i = 0;
    bool escaped = false;
    for (; i < mask.size(); ++i) {
        const QChar c = mask[i];
        if (escaped) {
            m.positions.append({MaskPosition::Literal, c});
            escaped = false;
        } else if (c == QLatin1Char('\\')) {
            escaped = true;
        } else if (c == QLatin1Char(';')) {
            break;
        } else if (c == QLatin1Char('0')) {
            m.positions.append({MaskPosition::RequiredDigit, QChar()});
        } else if (c == QLatin1Char('9')) {
            m.positions.append({MaskPosition::OptionalDigit, QChar()});
        } else {
            m.positions.append({MaskPosition::Literal, c});
        }
    }
    // After the mask: ";<keep literals>;<blank>". The masks of this program
    // all keep their literals in the text; only the blank character matters.
    const QStringList fields = mask.mid(i).split(QLatin1Char(';'));
    if (fields.size() >= 3 && !fields[2].isEmpty())
        m.blank = fields[2][0];
    return m;
}

bool isEditablePosition(const EditMask &mask, int pos)
{
    return pos >= 0 && pos < mask.positions.size() && mask.positions[pos].kind != MaskPosition::Literal;
}

QString applyEditMask(const EditMask &mask, const QString &value)
{
    QString out;
    out.reserve(mask.positions.size());
    int j = 0;
    for (const MaskPosition &p : mask.positions) {
        if (p.kind == MaskPosition::Literal) {
            out += p.literal;
            if (j < value.size() && value[j] == p.literal)
                ++j;
        } else if (j < value.size()) {
            const QChar c = value[j++];
            out += (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ? c : QLatin1Char(' ');
        } else {
            out += QLatin1Char(' ');
        }
    }
    return out;
}

QString emptyMaskText(const EditMask &mask) { return applyEditMask(mask, QString()); }

bool maskAccepts(const EditMask &mask, int pos, QChar ch)
{
    return isEditablePosition(mask, pos) && ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

int firstEmptyRequired(const EditMask &mask, const QString &text)
{
    for (int i = 0; i < mask.positions.size(); ++i) {
        if (mask.positions[i].kind == MaskPosition::RequiredDigit
            && (i >= text.size() || text[i] == QLatin1Char(' ')))
            return i;
    }
    return -1;
}

QString maskDisplayText(const EditMask &mask, const QString &text)
{
    QString out = text;
    for (int i = 0; i < out.size(); ++i) {
        if (isEditablePosition(mask, i) && out[i] == QLatin1Char(' '))
            out[i] = mask.blank;
    }
    return out;
}

// ---- the field ----

namespace {
bool transientFocusChange(Qt::FocusReason reason)
{
    // Switching to another window or opening a menu does not leave the field.
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}
} // namespace

MaskEdit::MaskEdit(const QString &editMask, QWidget *parent)
    : QLineEdit(parent), m_maskText(editMask), m_mask(parseEditMask(editMask))
{
    // Every position is as wide as a digit, so the blanks line up with what
    // is typed over them.
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setAcceptDrops(false);
    setSizePolicy(QSizePolicy::Fixed, sizePolicy().verticalPolicy());
    QLineEdit::setText(emptyMaskText(m_mask));
    m_entryText = QLineEdit::text();
    // Whatever changes the text (also the base class's own slots) ends in a
    // text that fits the mask.
    connect(this, &QLineEdit::textChanged, this, [this] { normalize(); });
}

QSize MaskEdit::sizeHint() const
{
    // As wide as the mask and a spare position, in the font and frame the
    // field has once it is polished.
    ensurePolished();
    QSize size = QLineEdit::sizeHint();
    const QMargins margins = textMargins();
    const int n = int(m_mask.positions.size());
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QSize content(fontMetrics().horizontalAdvance(QString(n + 1, QLatin1Char('0'))) + 4 + margins.left()
                            + margins.right(),
                        fontMetrics().height());
    size.setWidth(style()->sizeFromContents(QStyle::CT_LineEdit, &option, content, this).width());
    return size;
}

QSize MaskEdit::minimumSizeHint() const { return sizeHint(); }

void MaskEdit::setText(const QString &text) { QLineEdit::setText(applyEditMask(m_mask, text)); }

void MaskEdit::normalize()
{
    const QString current = QLineEdit::text();
    const QString fitted = applyEditMask(m_mask, current);
    if (fitted == current)
        return;
    const int cursor = cursorPosition();
    const bool modified = isModified();
    QLineEdit::setText(fitted);
    setModified(modified);
    setCursorPosition(qMin(cursor, int(fitted.size())));
}

void MaskEdit::setEditedText(const QString &text, int cursor)
{
    if (text != QLineEdit::text()) {
        QLineEdit::setText(text);
        setModified(true);
        emit textEdited(text);
    }
    setCursorPosition(cursor);
}

void MaskEdit::clearRange(int from, int to)
{
    QString s = QLineEdit::text();
    for (int i = from; i < to && i < s.size(); ++i) {
        if (isEditablePosition(m_mask, i))
            s[i] = QLatin1Char(' ');
    }
    setEditedText(s, from);
}

void MaskEdit::typeText(const QString &typed)
{
    QString s = QLineEdit::text();
    const int n = int(s.size());
    int cur = cursorPosition();
    if (hasSelectedText()) {
        const int a = selectionStart();
        const int b = a + int(selectedText().size());
        for (int i = a; i < b && i < n; ++i) {
            if (isEditablePosition(m_mask, i))
                s[i] = QLatin1Char(' ');
        }
        cur = a;
    }
    bool refused = false;
    for (const QChar ch : typed) {
        int p = cur;
        // Typing a literal where it stands steps over it.
        if (p < n && !isEditablePosition(m_mask, p) && m_mask.positions[p].literal == ch) {
            cur = p + 1;
            continue;
        }
        while (p < n && !isEditablePosition(m_mask, p))
            ++p;
        if (!maskAccepts(m_mask, p, ch)) {
            refused = true;
            break;
        }
        s[p] = ch;
        cur = p + 1;
    }
    while (cur < n && !isEditablePosition(m_mask, cur))
        ++cur;
    if (refused)
        QApplication::beep();
    setEditedText(s, cur);
}

void MaskEdit::pasteMasked()
{
    if (isReadOnly())
        return;
    QString t = QApplication::clipboard()->text();
    t.remove(QLatin1Char('\n'));
    t.remove(QLatin1Char('\r'));
    typeText(t);
}

void MaskEdit::cutMasked()
{
    if (!hasSelectedText() || isReadOnly())
        return;
    copy();
    const int a = selectionStart();
    clearRange(a, a + int(selectedText().size()));
}

bool MaskEdit::invalidChange() const
{
    return isModified() && firstEmptyRequired(m_mask, QLineEdit::text()) >= 0;
}

bool MaskEdit::validateEdit()
{
    if (!invalidChange())
        return true;
    reportInvalid();
    return false;
}

void MaskEdit::reportInvalid()
{
    if (m_reporting)
        return;
    m_reporting = true;
    QPointer<MaskEdit> self(this);
    QApplication::beep();
    m_refuseClick = false;
    m_inside = true;
    if (!hasFocus())
        setFocus(Qt::OtherFocusReason);
    const int pos = firstEmptyRequired(m_mask, QLineEdit::text());
    if (pos >= 0)
        setCursorPosition(pos);
    showErrorBox(window(), QString::fromLatin1(kInvalidMaskInput));
    if (!self)
        return;
    if (!hasFocus()) {
        // Back in the field's window, whether or not the window system
        // reactivates it after the box.
        window()->activateWindow();
        setFocus(Qt::OtherFocusReason);
    }
    m_reporting = false;
}

void MaskEdit::erase(bool backwards)
{
    if (hasSelectedText()) {
        const int a = selectionStart();
        clearRange(a, a + int(selectedText().size()));
        return;
    }
    // The nearest editable position before the cursor, or from it on.
    const int n = int(m_mask.positions.size());
    const int step = backwards ? -1 : 1;
    int p = backwards ? cursorPosition() - 1 : cursorPosition();
    while (p >= 0 && p < n && !isEditablePosition(m_mask, p))
        p += step;
    if (p >= 0 && p < n)
        clearRange(p, p + 1);
}

void MaskEdit::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (event->key() == Qt::Key_Escape && mods == Qt::NoModifier && isModified()) {
        QLineEdit::setText(m_entryText);
        setModified(false);
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !validateEdit()) {
        event->accept();
        return;
    }
    if (isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        pasteMasked();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        cutMasked();
        event->accept();
        return;
    }
    // Edits that would shift the positions or undo past the mask are not offered.
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)
        || event->matches(QKeySequence::DeleteStartOfWord) || event->matches(QKeySequence::DeleteEndOfWord)
        || event->matches(QKeySequence::DeleteEndOfLine) || event->matches(QKeySequence::DeleteCompleteLine)) {
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) && mods == Qt::NoModifier) {
        erase(event->key() == Qt::Key_Backspace);
        event->accept();
        return;
    }
    const QString t = event->text();
    if (!t.isEmpty() && t[0].isPrint() && !(mods & (Qt::ControlModifier | Qt::MetaModifier))) {
        typeText(t);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void MaskEdit::inputMethodEvent(QInputMethodEvent *event)
{
    if (!isReadOnly() && !event->commitString().isEmpty())
        typeText(event->commitString());
    event->accept();
}

void MaskEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (!m_inside && !m_reporting)
        m_entryText = QLineEdit::text();
    m_inside = true;
}

void MaskEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (m_reporting || transientFocusChange(event->reason()))
        return;
    m_inside = false;
    if (!invalidChange())
        return;
    // The focus went elsewhere without asking first. A mouse press moves the
    // focus before the widget under the mouse sees the press: that press is
    // refused, so a button does not act while the field is incomplete. Once
    // the change has finished, the focus comes back with the error box.
    m_refuseClick = event->reason() == Qt::MouseFocusReason;
    if (m_refuseClick)
        qApp->installEventFilter(this);
    QTimer::singleShot(0, this, [this] {
        m_refuseClick = false;
        qApp->removeEventFilter(this);
        if (invalidChange())
            reportInvalid();
    });
}

bool MaskEdit::focusNextPrevChild(bool next)
{
    if (invalidChange()) {
        reportInvalid();
        return true;
    }
    return QLineEdit::focusNextPrevChild(next);
}

bool MaskEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (m_refuseClick && watched->isWidgetType()
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        m_refuseClick = false;
        return true;
    }
    return QLineEdit::eventFilter(watched, event);
}

void MaskEdit::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    // Empty positions hold blanks; show them with the mask's blank character.
    const QString t = QLineEdit::text();
    const QFontMetrics fm = fontMetrics();
    // The line edit places its cursor rectangle 5 pixels left of the cursor's x.
    const int base = cursorRect().x() + 5 - fm.horizontalAdvance(t.left(cursorPosition()));
    const int baseline = cursorRect().y() + fm.ascent();
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.setClipRect(contentsRect());
    for (int i = 0; i < t.size(); ++i) {
        if (isEditablePosition(m_mask, i) && t[i] == QLatin1Char(' '))
            painter.drawText(QPoint(base + fm.horizontalAdvance(t.left(i)), baseline), QString(m_mask.blank));
    }
}

void MaskEdit::contextMenuEvent(QContextMenuEvent *event)
{
    // The line edit's own menu would undo and insert past the mask; this one
    // edits through it.
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool selected = hasSelectedText();
    const bool editable = !isReadOnly();
    auto add = [menu](const QString &text, const char *name, bool enabled, auto slot) {
        QAction *a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setEnabled(enabled);
        QObject::connect(a, &QAction::triggered, menu, slot);
    };
    add(QStringLiteral("Вырезать"), "edit-cut", selected && editable, [this] { cutMasked(); });
    add(QStringLiteral("Копировать"), "edit-copy", selected, [this] { copy(); });
    add(QStringLiteral("Вставить"), "edit-paste", editable && !QApplication::clipboard()->text().isEmpty(),
        [this] { pasteMasked(); });
    add(QStringLiteral("Удалить"), "edit-delete", selected && editable, [this] {
        const int from = selectionStart();
        clearRange(from, from + int(selectedText().size()));
    });
    menu->addSeparator();
    add(QStringLiteral("Выделить все"), "select-all", !text().isEmpty(), [this] { selectAll(); });
    menu->popup(event->globalPos());
}

} // namespace orvel
