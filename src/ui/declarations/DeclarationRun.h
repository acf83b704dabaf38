#pragma once
// Pieces shared by the two declaration windows: the template copy, the
// placeholder and letter-cell addresses, the success box, and profile files.
#include "office/Spreadsheet.h"

#include <QString>

class QBoxLayout;
class QProgressBar;
class QPushButton;
class QWidget;

#include <vector>

class QLineEdit;
class QWidget;

namespace orvel {

// programFolder() + "/shablon/" + fileName.
QString declarationTemplatePath(const QString &fileName);

// Puts a fresh copy of the template at target. A missing template fails with
// "Не найден шаблон декларации: <path>" before anything is written; an
// existing target is replaced (the save dialog asked about it already); a
// copy that cannot be made fails instead of leaving an old workbook to fill.
void copyDeclarationTemplate(const QString &templatePath, const QString &target);

// Spreadsheet column name of a 1-based column number: 1 "A", 27 "AA".
QString columnName(int column);

// Range(range).Replace(What:=what, Replacement:=value); a failure only leaves
// that placeholder in the workbook.
void replaceQuietly(SpreadsheetApp &app, const QString &range, const QString &what, const QString &value);

// Replaces prefix + i + "&" with valuePrefix + character i of source for
// i = 1..count, in ascending order.
void replacePlaceholderGroup(SpreadsheetApp &app, const QString &range, const QString &prefix, int count,
                             const QString &source, const QString &valuePrefix);

// "Декларация успешно сформирована!" in an information box owned by owner.
void showDeclarationDone(QWidget *owner);

// The target workbook dialog and the profile dialogs of both windows.
QString askTargetWorkbook(QWidget *owner, QString &lastFileName);
QString askProfileToSave(QWidget *owner, QString &lastFileName);
QString askProfileToOpen(QWidget *owner, QString &lastFileName);

// One field of a declaration profile: section name and field.
struct ProfileField {
    const char *section;
    QLineEdit *field;
};

// Writes each field's text to key "Text" of its section, in order.
void saveDeclarationProfile(const QString &path, const std::vector<ProfileField> &fields);
// Reads key "Text" of each section (empty when missing) into its field, in
// order; masked fields take the value through their masks.
void loadDeclarationProfile(const QString &path, const std::vector<ProfileField> &fields);

// The bottom of both declaration windows: "Прогресс:" with ProgressBar1, then
// the buttons "Сформировать", "Сохранить профиль", "Открыть профиль" and, at
// the right, "Выход", named as in the window forms.
struct DeclarationFooter {
    QProgressBar *progress;
    QPushButton *generate, *saveProfile, *openProfile, *close;
};
DeclarationFooter buildDeclarationFooter(QWidget *window, QBoxLayout *layout);

} // namespace orvel
