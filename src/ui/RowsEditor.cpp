#include "ui/RowsEditor.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace orvel {

namespace {

QString notePalette(bool error) { return error ? QStringLiteral("color: #b00020;") : QStringLiteral("color: #606060;"); }

bool directionControl(char16_t c)
{
    return c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x061C;
}

// The quote that closes one opened by `open`, or 0 when `open` opens none.
char16_t closingQuote(char16_t open)
{
    switch (open) {
    case u'\'': return u'\'';
    case u'"': return u'"';
    case u'«': return u'»';
    default: return 0;
    }
}

// A quote opens at the start or after a space or bracket, and closes before
// the end, a space or punctuation; a quote between letters (an apostrophe, a
// quote the user typed) is part of the text.
bool opensAt(const QString &text, qsizetype i)
{
    return closingQuote(text[i].unicode()) != 0
           && (i == 0 || text[i - 1].isSpace() || text[i - 1] == u'(' || text[i - 1] == u'[');
}
bool closesAt(const QString &text, qsizetype i, char16_t quote)
{
    if (text[i] != quote)
        return false;
    if (i + 1 == text.size())
        return true;
    const QChar next = text[i + 1];
    return next.isSpace() || QStringView(u".,:;!?)]").contains(next);
}

// The height of a row's fields: the tallest of the kinds of field a row has.
int fieldHeight()
{
    const QLineEdit line;
    const QSpinBox spin;
    const QComboBox combo;
    return std::max({line.sizeHint().height(), spin.sizeHint().height(), combo.sizeHint().height()});
}

} // namespace

QString RowsEditor::shownNote(const QString &text)
{
    QString clean;
    clean.reserve(text.size());
    for (QChar c : text)
        if (!directionControl(c.unicode()))
            clean += c;
    QString shown;
    qsizetype i = 0;
    while (i < clean.size()) {
        if (!opensAt(clean, i)) {
            shown += clean[i++];
            continue;
        }
        const char16_t quote = closingQuote(clean[i].unicode());
        qsizetype end = i + 1;
        while (end < clean.size() && !closesAt(clean, end, quote))
            ++end;
        // A quote that never closes runs to the end of the note.
        const QStringView inner = QStringView(clean).mid(i + 1, end - i - 1);
        shown += clean[i];
        if (inner.size() > kQuotedLength) {
            shown += inner.left(kQuotedLength);
            shown += u'…';
        } else {
            shown += inner;
        }
        if (end < clean.size())
            shown += clean[end];
        i = end + 1;
    }
    return shown;
}

RowsEditor::Column RowsEditor::amountColumn()
{
    return {QStringLiteral("Amount"), QStringLiteral("Сумма, ₽"),
            [](QWidget *p) {
                auto *amount = new QLineEdit(p);
                amount->setPlaceholderText(QStringLiteral("сумма, ₽"));
                return amount;
            },
            1};
}

RowsEditor::RowsEditor(const QString &prefix, std::vector<Column> columns, const QString &addText,
                       const QString &hint, QWidget *parent)
    : QWidget(parent), m_prefix(prefix), m_columns(std::move(columns))
{
    buildFrame(addText, hint);
    layOutRows(0);
}

// The rows in a scrolling area over the add button.
void RowsEditor::buildFrame(const QString &addText, const QString &hint)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_area = new QWidget(m_scroll);
    m_grid = new QGridLayout(m_area);
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setVerticalSpacing(2);
    m_scroll->setWidget(m_area);
    m_scroll->setObjectName(m_prefix + QStringLiteral("Rows"));
    layout->addWidget(m_scroll, 1);

    for (const Column &c : m_columns) {
        auto *title = new QLabel(c.title, m_area);
        title->setStyleSheet(notePalette(false));
        m_titles.push_back(title);
    }
    m_hint = new QLabel(hint, m_area);
    m_hint->setObjectName(m_prefix + QStringLiteral("Hint"));
    m_hint->setStyleSheet(notePalette(false));
    m_hint->setWordWrap(true);
    // However little room the window leaves, the titles and two rows with
    // their notes stay in view.
    const int noteHeight = m_hint->fontMetrics().lineSpacing();
    const int pitch = fieldHeight() + noteHeight + 2 * m_grid->verticalSpacing();
    m_scroll->setMinimumHeight(m_titles.empty() ? 2 * pitch : m_titles.front()->sizeHint().height() + 2 * pitch);

    m_add = new QPushButton(addText, this);
    m_add->setObjectName(m_prefix + QStringLiteral("Add"));
    auto *addRow = new QHBoxLayout;
    addRow->addWidget(m_add);
    addRow->addStretch(1);
    layout->addLayout(addRow);
    connect(m_add, &QPushButton::clicked, this, [this] {
        const int row = this->addRow(m_newRowInit);
        // The new row comes into view, and the user types its first text
        // field first.
        const std::vector<QWidget *> &fields = m_rows[std::size_t(row)].fields;
        m_scroll->ensureWidgetVisible(fields.front());
        for (QWidget *f : fields)
            if (qobject_cast<QLineEdit *>(f)) {
                f->setFocus();
                break;
            }
    });
}

QWidget *RowsEditor::field(int row, int column) const
{
    return m_rows.at(std::size_t(row)).fields.at(std::size_t(column));
}

int RowsEditor::addRow(const std::function<void(int row)> &init)
{
    Row row;
    for (const Column &c : m_columns)
        row.fields.push_back(c.make(m_area));
    row.remove = new QToolButton(m_area);
    row.remove->setText(QStringLiteral("✕"));
    row.remove->setToolTip(m_removeTip.isEmpty() ? QStringLiteral("Удалить строку") : m_removeTip);
    row.state = new QLabel(m_area);
    row.state->setTextFormat(Qt::PlainText); // notes quote what the user typed
    row.state->setWordWrap(true);
    // The width is the rows'; a word longer than it is cut off at the edge
    // rather than widening the rows and pushing the ✕ out of view.
    row.state->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row.state->hide();
    const int index = int(m_rows.size());
    m_rows.push_back(row);
    if (init)
        init(index);
    for (QWidget *f : row.fields)
        watch(f);
    QToolButton *remove = row.remove;
    connect(remove, &QToolButton::clicked, this, [this, remove] {
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            if (m_rows[i].remove == remove) {
                removeRow(int(i));
                return;
            }
    });
    nameRow(index);
    layOutRows(index);
    markChanged(index);
    return index;
}

void RowsEditor::removeRow(int index)
{
    if (index < 0 || index >= count())
        return;
    const Row row = m_rows[std::size_t(index)];
    m_rows.erase(m_rows.begin() + index);
    std::vector<QWidget *> gone = row.fields;
    gone.push_back(row.remove);
    gone.push_back(row.state);
    for (QWidget *w : gone) {
        // Gone at once for the user and for name lookups; deleted once the
        // click that removed it has been handled.
        m_grid->removeWidget(w);
        w->hide();
        w->setObjectName(QString());
        w->deleteLater();
    }
    for (int i = index; i < count(); ++i)
        nameRow(i);
    layOutRows(index);
    std::set<int> renumbered;
    for (int i : m_changed)
        if (i < index)
            renumbered.insert(i);
    m_changed = std::move(renumbered);
    for (int i = index; i < count(); ++i)
        markChanged(i);
    markChanged(-1); // the removal itself is a change, also of the last row
}

void RowsEditor::clear()
{
    while (count() > 0)
        removeRow(count() - 1);
}

void RowsEditor::setNote(int index, const QString &text, bool error)
{
    Row &row = m_rows.at(std::size_t(index));
    if (row.note == text && row.error == error)
        return;
    row.note = text;
    row.error = error;
    row.state->setText(shownNote(text));
    row.state->setStyleSheet(notePalette(error));
    row.state->setVisible(!text.isEmpty());
}

QString RowsEditor::note(int index) const { return m_rows.at(std::size_t(index)).note; }

void RowsEditor::setRemoveToolTip(const QString &text)
{
    m_removeTip = text;
    for (const Row &row : m_rows)
        row.remove->setToolTip(text);
}

void RowsEditor::watch(QWidget *field)
{
    const auto edited = [this, field] { fieldEdited(field); };
    if (auto *line = qobject_cast<QLineEdit *>(field))
        connect(line, &QLineEdit::textChanged, this, edited);
    else if (auto *combo = qobject_cast<QComboBox *>(field))
        connect(combo, &QComboBox::currentIndexChanged, this, edited);
    else if (auto *button = qobject_cast<QAbstractButton *>(field))
        connect(button, &QAbstractButton::toggled, this, edited);
    else if (auto *spin = qobject_cast<QSpinBox *>(field))
        connect(spin, &QSpinBox::valueChanged, this, edited);
    else if (auto *dspin = qobject_cast<QDoubleSpinBox *>(field))
        connect(dspin, &QDoubleSpinBox::valueChanged, this, edited);
    else if (auto *date = qobject_cast<QDateTimeEdit *>(field))
        connect(date, &QDateTimeEdit::dateTimeChanged, this, edited);
}

void RowsEditor::fieldEdited(QWidget *field)
{
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        for (QWidget *f : m_rows[i].fields)
            if (f == field) {
                markChanged(int(i));
                return;
            }
}

void RowsEditor::markChanged(int row)
{
    if (row >= 0)
        m_changed.insert(row);
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_pending = false;
            emit changed();
            m_changed.clear();
        },
        Qt::QueuedConnection);
}

void RowsEditor::nameRow(int index)
{
    const Row &row = m_rows[std::size_t(index)];
    const QString n = QString::number(index + 1);
    for (std::size_t c = 0; c < m_columns.size(); ++c)
        row.fields[c]->setObjectName(m_prefix + m_columns[c].name + n);
    row.remove->setObjectName(m_prefix + QStringLiteral("Remove") + n);
    row.state->setObjectName(m_prefix + QStringLiteral("State") + n);
}

// Places the rows from `from` on, and the hint after the last; the rows
// before keep their places, so adding a row costs the same among 200 as
// among 2.
void RowsEditor::layOutRows(int from)
{
    const int columns = int(m_columns.size());
    if (from == 0)
        for (int c = 0; c < columns; ++c) {
            m_grid->addWidget(m_titles[std::size_t(c)], 0, c);
            m_grid->setColumnStretch(c, m_columns[std::size_t(c)].stretch);
        }
    m_grid->removeWidget(m_hint);
    for (int i = from; i < count(); ++i) {
        const Row &row = m_rows[std::size_t(i)];
        const int r = 1 + 2 * i;
        for (int c = 0; c < columns; ++c) {
            QWidget *field = row.fields[std::size_t(c)];
            m_grid->removeWidget(field);
            m_grid->addWidget(field, r, c);
            field->show();
        }
        m_grid->removeWidget(row.remove);
        m_grid->addWidget(row.remove, r, columns);
        row.remove->show();
        m_grid->removeWidget(row.state);
        m_grid->addWidget(row.state, r + 1, 0, 1, columns + 1);
    }
    const int end = 1 + 2 * count();
    m_grid->addWidget(m_hint, end, 0, 1, columns + 1);
    m_hint->setVisible(m_rows.empty());
    // The rows keep to the top; the grid's rows past the end (left by
    // removed rows) stay empty and take no room.
    for (int r = 2 * from; r < m_grid->rowCount(); ++r)
        m_grid->setRowStretch(r, r == end + 1 ? 1 : 0);
    settle();
}

// The rows are laid out now rather than at the next turn of the loop, so a
// row just added (or moved up by a removal) has its place and size at once:
// it can be scrolled to, focused and clicked straight away.
void RowsEditor::settle()
{
    m_grid->activate();
    QEvent request(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(m_scroll, &request);
}

} // namespace orvel
