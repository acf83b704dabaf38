#pragma once
// What the two declaration windows share: the title, the progress bar and the
// buttons at the bottom, the declaration run around the fill of the workbook,
// the profile files, and the spare office while the window is visible. A
// window adds its fields, the template it fills, and how its fields fill it.
#include "declarations/DeclarationStep.h"
#include "office/Spreadsheet.h"

#include <QWidget>

#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

class QBoxLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace orvel {

class MaskEdit;

class DeclarationWindow : public QWidget {
    Q_OBJECT
public:
    ~DeclarationWindow() override;

    QLabel *TitleLabel = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr;

    void Button1Click(); // the declaration run
    void Button2Click();
    void Button3Click(); // save profile
    void Button4Click(); // open profile

protected:
    // A top-level window named objectName; asker is the window's claim on the
    // spare office.
    DeclarationWindow(const char *objectName, const QString &title, SpareAsker asker, QWidget *parent);

    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

    // The template's file name in the shablon folder.
    virtual QString templateName() const = 0;
    // Fills the open copy of the template from the window's fields; the
    // bound texts are taken already.
    virtual void fill(SpreadsheetApp &app, const DeclarationProgress &progress) = 0;
    // One field of a declaration profile: section name and field.
    struct ProfileField {
        const char *section;
        QLineEdit *field;
    };
    // The profile's sections, in the order they are written and read.
    virtual std::vector<ProfileField> profileFields() const = 0;

    // The window's title, bold and larger, at the top of layout.
    void buildTitle(QBoxLayout *layout);
    // The bottom of the window: "Прогресс:" with ProgressBar1, then the
    // buttons "Сформировать", "Сохранить профиль", "Открыть профиль" and, at
    // the right, "Выход", named as in the window forms and connected.
    void buildFooter(QBoxLayout *layout);
    // A label named Label1, Label2, ... in the order the window makes them.
    QLabel *label(const QString &text, QWidget *parent);
    // A field whose text goes to *value at each run, before the fill.
    template <class Field>
    Field *bound(Field *field, QString *value)
    {
        m_bound.push_back({field, value});
        return field;
    }
    // A masked field with its mask and form name, bound to *value.
    MaskEdit *masked(const char *mask, QWidget *parent, const char *name, QString *value);
    // A line of widgets from the left, the rest of it free.
    static QHBoxLayout *line(std::initializer_list<QWidget *> widgets);

private:
    SpareAsker m_asker;
    int m_labels = 0;
    std::vector<std::pair<QLineEdit *, QString *>> m_bound;
    // The application object of the last run; kept until the next run or exit.
    std::unique_ptr<SpreadsheetApp> m_excel;
    QString m_saveDialog1FileName, m_saveDialog2FileName, m_openDialog1FileName;
};

} // namespace orvel
