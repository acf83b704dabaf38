// The declaration windows' shared frame and run.
#include "ui/declarations/DeclarationWindow.h"

#include "declarations/DeclarationTemplate.h"
#include "declarations/Profile.h"
#include "ui/declarations/MaskEdit.h"
#include "ui/ErrorBox.h"
#include "ui/FileDialogs.h"
#include "ui/Widgets.h"

#include <QBoxLayout>
#include <QFileInfo>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>

namespace orvel {

namespace {

FileDialogRequest request(FileDialogRequest::Kind kind, const char *name, const QString &filter,
                          const QString &suffix, const QString &lastFileName)
{
    FileDialogRequest r;
    r.kind = kind;
    r.name = QString::fromLatin1(name);
    r.filter = filter;
    r.defaultSuffix = suffix;
    r.fileName = lastFileName;
    return r;
}

QString ask(QWidget *owner, const FileDialogRequest &r, QString &lastFileName)
{
    const QString chosen = runFileDialog(owner, r);
    if (!chosen.isEmpty())
        lastFileName = chosen;
    return chosen;
}

QString askTargetWorkbook(QWidget *owner, QString &lastFileName)
{
    // The copy of the template replaces the chosen workbook: the dialog asks.
    return ask(owner,
               request(FileDialogRequest::Save, "SaveDialog1", QStringLiteral("Книга Excel 97-2003|*.xls"),
                       QStringLiteral("xls"), lastFileName),
               lastFileName);
}

QString askProfileToSave(QWidget *owner, QString &lastFileName)
{
    // Saving adds the sections to the chosen file and keeps the rest of it,
    // so there is nothing to ask.
    FileDialogRequest r = request(FileDialogRequest::Save, "SaveDialog2",
                                  QStringLiteral("Профайл декларации|*.ini"), QStringLiteral("ini"), lastFileName);
    r.confirmOverwrite = false;
    return ask(owner, r, lastFileName);
}

QString askProfileToOpen(QWidget *owner, QString &lastFileName)
{
    // A name that does not exist reads as an empty profile: every field empties.
    FileDialogRequest r = request(FileDialogRequest::Open, "OpenDialog1",
                                  QStringLiteral("Профайл декларации|*.ini"), QStringLiteral("ini"), lastFileName);
    r.mustExist = false;
    return ask(owner, r, lastFileName);
}

// "Декларация успешно сформирована!" in an information box owned by owner.
void showDeclarationDone(QWidget *owner)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Декларация сформирована"),
                    QStringLiteral("Декларация успешно сформирована!"), QMessageBox::Ok, owner);
    box.exec();
}

} // namespace

DeclarationWindow::DeclarationWindow(const char *objectName, const QString &title, SpareAsker asker,
                                     QWidget *parent)
    : QWidget(parent, Qt::Window), m_asker(asker)
{
    setObjectName(QString::fromLatin1(objectName));
    setWindowTitle(title);
}

DeclarationWindow::~DeclarationWindow() { spareOfficeWanted(m_asker, false); }

// Spontaneous shows and hides come from the window system (a restore or a
// minimising), not from the window turning visible or hidden.
void DeclarationWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A run may come soon: an office gets ready meanwhile.
    if (!event->spontaneous())
        spareOfficeWanted(m_asker, true);
}

void DeclarationWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        spareOfficeWanted(m_asker, false);
}

void DeclarationWindow::buildTitle(QBoxLayout *layout)
{
    TitleLabel = named(new QLabel(windowTitle(), this), "TitleLabel");
    QFont titleFont = TitleLabel->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    TitleLabel->setFont(titleFont);
    layout->addWidget(TitleLabel);
}

void DeclarationWindow::buildFooter(QBoxLayout *layout)
{
    auto *progress = new QHBoxLayout;
    ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    progress->addWidget(new QLabel(QStringLiteral("Прогресс:"), this));
    progress->addWidget(ProgressBar1, 1);
    layout->addLayout(progress);

    auto *buttons = new QHBoxLayout;
    Button1 = named(new QPushButton(QStringLiteral("Сформировать"), this), "Button1");
    Button3 = named(new QPushButton(QStringLiteral("Сохранить профиль"), this), "Button3");
    Button4 = named(new QPushButton(QStringLiteral("Открыть профиль"), this), "Button4");
    Button2 = named(new QPushButton(QStringLiteral("Выход"), this), "Button2");
    buttons->addWidget(Button1);
    buttons->addWidget(Button3);
    buttons->addWidget(Button4);
    buttons->addStretch(1);
    buttons->addWidget(Button2);
    layout->addLayout(buttons);

    onEvent(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    onEvent(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    onEvent(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    onEvent(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
}

QLabel *DeclarationWindow::label(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QStringLiteral("Label%1").arg(++m_labels));
    return l;
}

MaskEdit *DeclarationWindow::masked(const char *mask, QWidget *parent, const char *name, QString *value)
{
    return bound(named(new MaskEdit(QString::fromLatin1(mask), parent), name), value);
}

QHBoxLayout *DeclarationWindow::line(std::initializer_list<QWidget *> widgets)
{
    auto *l = new QHBoxLayout;
    for (QWidget *w : widgets)
        l->addWidget(w);
    l->addStretch(1);
    return l;
}

void DeclarationWindow::Button1Click()
{
    const QString path = askTargetWorkbook(this, m_saveDialog1FileName);
    if (path.isEmpty())
        return;
    copyDeclarationTemplate(declarationTemplatePath(templateName()), path);
    ProgressBar1->setValue(5);

    m_excel = createSpreadsheetApp(QString::fromLatin1(kExcelProgId));
    m_excel->workbooksOpen(path);
    for (const auto &[field, value] : m_bound)
        *value = field->text();
    fill(*m_excel, [this](int percent) { ProgressBar1->setValue(percent); });

    m_excel->activeWorkbookClose(true);
    m_excel->quit();
    ProgressBar1->setValue(100);
    if (QFileInfo::exists(path))
        showDeclarationDone(this);
    m_saveDialog1FileName.clear();
    ProgressBar1->setValue(0);
}

void DeclarationWindow::Button2Click() { close(); }

void DeclarationWindow::Button3Click()
{
    const QString path = askProfileToSave(this, m_saveDialog2FileName);
    if (path.isEmpty())
        return;
    // Each field's text goes to key "Text" of its section, in order.
    for (const ProfileField &f : profileFields())
        writeProfileString(path, QString::fromUtf8(f.section), QStringLiteral("Text"), f.field->text());
}

void DeclarationWindow::Button4Click()
{
    const QString path = askProfileToOpen(this, m_openDialog1FileName);
    if (path.isEmpty())
        return;
    // Key "Text" of each section (empty when missing) goes into its field, in
    // order; masked fields take the value through their masks.
    for (const ProfileField &f : profileFields()) {
        const QString value = readProfileString(path, QString::fromUtf8(f.section), QStringLiteral("Text"), QString());
        if (auto *maskedField = qobject_cast<MaskEdit *>(f.field))
            maskedField->setText(value);
        else
            f.field->setText(value);
    }
}

} // namespace orvel
