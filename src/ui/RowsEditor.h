#pragma once
// An editor of rows of fields the user adds and removes: early repayments,
// debts, payments, top-ups. Each row is a line of fields, a ✕ that removes it
// and a note under it that says what became of it ("Введите сумму", "не
// учтено: …"). The rows sit in a scrolling area, so the editor's minimum size
// never depends on how many there are.
//
// Controls are named from the editor's prefix: <prefix>Add for the add
// button, <prefix><Column>N for the fields, <prefix>RemoveN and
// <prefix>StateN for the ✕ and the note, N counting from 1 in the order
// shown (a removed row's successors take its numbers), <prefix>Hint for the
// text shown while there are no rows, <prefix>Rows for the scrolling area,
// which always has room for two rows with their notes.
//
// Any change of a field, an added and a removed row are reported by one
// changed() signal per turn of the event loop, however many keys and rows
// came in that turn, so a window recomputes once for a paste or a burst of
// typing. rowsChanged() tells which rows were added or edited since the last
// changed(), for windows that read only those again.
#include <QString>
#include <QWidget>

#include <functional>
#include <set>
#include <utility>
#include <vector>

class QGridLayout;
class QLabel;
class QPushButton;
class QScrollArea;
class QToolButton;

namespace orvel {

class RowsEditor : public QWidget {
    Q_OBJECT

public:
    struct Column {
        QString name;  // after the prefix in the objectName: "Amount" gives DebtAmountN
        QString title; // the column's caption over the rows
        // Makes the row's field; the editor connects its change signal
        // (QLineEdit, QAbstractSpinBox, QDateEdit, QComboBox, QCheckBox).
        std::function<QWidget *(QWidget *parent)> make;
        int stretch = 0;
    };

    // The usual column of a sum in roubles: <prefix>AmountN, a line edit
    // that takes the row's spare width.
    static Column amountColumn();

    RowsEditor(const QString &prefix, std::vector<Column> columns, const QString &addText, const QString &hint,
               QWidget *parent = nullptr);

    QPushButton *addButton() const { return m_add; }
    int count() const { return int(m_rows.size()); }
    // The field in `column` of `row` (both from 0).
    QWidget *field(int row, int column) const;
    template <typename W>
    W *fieldAs(int row, int column) const
    {
        return static_cast<W *>(field(row, column));
    }

    // Adds a row at the end and returns its index. `init` (when given) fills
    // its fields before the change is reported.
    int addRow(const std::function<void(int row)> &init = {});
    void removeRow(int row);
    // How the add button fills a new row (a default date, a month after the
    // last row's).
    void setNewRowInit(std::function<void(int row)> init) { m_newRowInit = std::move(init); }
    void clear();

    // The row's note, plain text (an empty text hides it); an error is shown
    // in the error colour. A note is set again only when it differs, so
    // setting every row's note after each change costs nothing for the rows
    // that stayed as they were. What it quotes of the user's typing is shown
    // as shownNote() gives it, and a note wraps within the editor's width
    // however long it is.
    void setNote(int row, const QString &text, bool error);
    QString note(int row) const; // as given to setNote()

    // A note as shown: each quoted text ('…', "…", «…») cut to
    // kQuotedLength characters and "…", and the characters that change the
    // direction of text (U+200E, U+200F, U+202A–U+202E, U+2066–U+2069,
    // U+061C) dropped, so a quoted paste can neither widen nor turn round
    // the note.
    static QString shownNote(const QString &text);
    static constexpr int kQuotedLength = 40;

    // The ✕'s tooltip ("Удалить строку" unless set).
    void setRemoveToolTip(const QString &text);

    // The rows added or edited since the last changed() (ascending); removing
    // a row renumbers the rest and marks all of them.
    const std::set<int> &rowsChanged() const { return m_changed; }

signals:
    void changed();

private:
    struct Row {
        std::vector<QWidget *> fields;
        QToolButton *remove = nullptr;
        QLabel *state = nullptr;
        QString note;
        bool error = false;
    };

    void buildFrame(const QString &addText, const QString &hint);
    void watch(QWidget *field);
    void fieldEdited(QWidget *field);
    void markChanged(int row);
    void layOutRows(int from);
    void settle();
    void nameRow(int row);

    QString m_prefix;
    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
    std::set<int> m_changed;
    std::function<void(int row)> m_newRowInit;
    QString m_removeTip;
    bool m_pending = false;
    QPushButton *m_add = nullptr;
    QScrollArea *m_scroll = nullptr;
    QWidget *m_area = nullptr;
    QGridLayout *m_grid = nullptr;
    std::vector<QLabel *> m_titles;
    QLabel *m_hint = nullptr;
};

} // namespace orvel
