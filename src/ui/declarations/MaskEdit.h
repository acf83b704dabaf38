#pragma once
// Masked fields of the declaration windows.
//
// An edit mask such as "8\(999\)000-0000;1;_" describes a fixed-width text:
// "0" is a position that needs a digit, "9" one that may hold a digit, "\"
// makes the next character a literal, and every other character ("8", "-",
// "(", ...) is a literal that always stands in its place. The optional
// suffix ";1;_" keeps the literals in the text and shows empty positions as
// "_". The field's text always has the mask's full width, with the literals
// in place and a blank for each empty position; only the display shows "_".
//
// The rule itself lives in plain functions (no widgets); MaskEdit is the
// QLineEdit that applies it.
#include <QLineEdit>
#include <QString>
#include <QVector>

namespace orvel {

struct MaskPosition {
    enum Kind { Literal, RequiredDigit, OptionalDigit };
    Kind kind = Literal;
    QChar literal; // for Literal
};

struct EditMask {
    QVector<MaskPosition> positions;
    QChar blank = QLatin1Char('_'); // how the display shows an empty position
};

// Reads "mask[;save-literals[;blank]]".
EditMask parseEditMask(const QString &mask);

// The text the field holds for `value`: the mask's width, literals in place,
// each digit position taking the next character of value (a blank when it is
// not a digit or when value has run out). A literal of the mask consumes the
// character of value only when it is that literal, so values with or without
// their literals, and values whose trailing blanks were dropped, both fit.
QString applyEditMask(const EditMask &mask, const QString &value);

// The text of a field with every position empty.
QString emptyMaskText(const EditMask &mask);

// Whether ch may be typed into position pos.
bool maskAccepts(const EditMask &mask, int pos, QChar ch);

// Whether pos is a digit position (one the user fills).
bool isEditablePosition(const EditMask &mask, int pos);

// The first required position of text that is blank, or -1 when none is.
int firstEmptyRequired(const EditMask &mask, const QString &text);

// What the display shows for text: each empty position as the blank character.
QString maskDisplayText(const EditMask &mask, const QString &text);

// The error shown when a changed field is left with a required position empty.
inline const char *const kInvalidMaskInput = "Invalid input value.  Use escape key to abandon changes";

class MaskEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit MaskEdit(const QString &editMask, QWidget *parent = nullptr);

    QString editMask() const { return m_maskText; }
    const EditMask &mask() const { return m_mask; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Sets the text through the mask (see applyEditMask).
    void setText(const QString &text);

    // Checks a changed field: when a required position is empty, beeps, puts
    // the cursor there, keeps the focus in the field, shows the error box and
    // returns false.
    bool validateEdit();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool invalidChange() const;
    void reportInvalid();
    void typeText(const QString &typed);
    void clearRange(int from, int to); // blanks the digit positions in [from, to)
    void erase(bool backwards);        // Backspace (backwards) or Delete: the selection or one position
    void setEditedText(const QString &text, int cursor);
    void pasteMasked();
    void cutMasked();
    void normalize();

    QString m_maskText;
    EditMask m_mask;
    QString m_entryText; // the text when the field was entered; Escape restores it
    bool m_inside = false; // the field was entered and not yet left
    bool m_reporting = false;
    bool m_refuseClick = false; // the mouse press that took the focus away is refused
};

} // namespace orvel
