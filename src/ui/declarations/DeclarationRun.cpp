#include "ui/declarations/DeclarationRun.h"

#include "calc/Paths.h"
#include "declarations/Profile.h"
#include "ui/declarations/MaskEdit.h"
#include "ui/FileDialogs.h"

#include "ui/Widgets.h"

#include <QBoxLayout>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

namespace orvel {

QString declarationTemplatePath(const QString &fileName)
{
    return programFolder() + QStringLiteral("/shablon/") + fileName;
}

void copyDeclarationTemplate(const QString &templatePath, const QString &target)
{
    const QFileInfo source(templatePath);
    if (!source.isFile())
        throw OrvelError(QStringLiteral("Не найден шаблон декларации: ") + templatePath);
    const OrvelError cannotCopy(QStringLiteral("Не удалось скопировать шаблон декларации в файл ") + target);
    const QFileInfo existing(target);
    if (existing.exists()) {
        // Choosing the template itself must not destroy it.
        if (existing.canonicalFilePath() == source.canonicalFilePath())
            throw cannotCopy;
        if (!QFile::remove(target))
            throw cannotCopy;
    }
    if (!QFile::copy(templatePath, target))
        throw cannotCopy;
    // A copy of a read-only template would be read-only as well.
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
}

QString columnName(int column)
{
    QString name;
    while (column > 0) {
        const int r = (column - 1) % 26;
        name.prepend(QChar(u'A' + r));
        column = (column - 1) / 26;
    }
    return name;
}

void replaceQuietly(SpreadsheetApp &app, const QString &range, const QString &what, const QString &value)
{
    try {
        app.rangeReplace(range, what, value);
    } catch (...) {
        // The placeholder stays; the declaration goes on.
    }
}

void replacePlaceholderGroup(SpreadsheetApp &app, const QString &range, const QString &prefix, int count,
                             const QString &source, const QString &valuePrefix)
{
    for (int i = 1; i <= count; ++i) {
        const QString what = prefix + QString::number(i) + QLatin1Char('&');
        const QString ch = i <= source.size() ? QString(source[i - 1]) : QString();
        replaceQuietly(app, range, what, valuePrefix + ch);
    }
}

void showDeclarationDone(QWidget *owner)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Декларация сформирована"),
                    QStringLiteral("Декларация успешно сформирована!"), QMessageBox::Ok, owner);
    box.exec();
}

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
} // namespace

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

void saveDeclarationProfile(const QString &path, const std::vector<ProfileField> &fields)
{
    for (const ProfileField &f : fields)
        writeProfileString(path, QString::fromUtf8(f.section), QStringLiteral("Text"), f.field->text());
}

void loadDeclarationProfile(const QString &path, const std::vector<ProfileField> &fields)
{
    for (const ProfileField &f : fields) {
        const QString value = readProfileString(path, QString::fromUtf8(f.section), QStringLiteral("Text"), QString());
        if (auto *masked = qobject_cast<MaskEdit *>(f.field))
            masked->setText(value);
        else
            f.field->setText(value);
    }
}

DeclarationFooter buildDeclarationFooter(QWidget *window, QBoxLayout *layout)
{
    DeclarationFooter f{};
    auto *progress = new QHBoxLayout;
    f.progress = orvel::named(new QProgressBar(window), "ProgressBar1");
    f.progress->setRange(0, 100);
    f.progress->setValue(0);
    progress->addWidget(new QLabel(QStringLiteral("Прогресс:"), window));
    progress->addWidget(f.progress, 1);
    layout->addLayout(progress);

    auto *buttons = new QHBoxLayout;
    f.generate = orvel::named(new QPushButton(QStringLiteral("Сформировать"), window), "Button1");
    f.saveProfile = orvel::named(new QPushButton(QStringLiteral("Сохранить профиль"), window), "Button3");
    f.openProfile = orvel::named(new QPushButton(QStringLiteral("Открыть профиль"), window), "Button4");
    f.close = orvel::named(new QPushButton(QStringLiteral("Выход"), window), "Button2");
    buttons->addWidget(f.generate);
    buttons->addWidget(f.saveProfile);
    buttons->addWidget(f.openProfile);
    buttons->addStretch(1);
    buttons->addWidget(f.close);
    layout->addLayout(buttons);
    return f;
}

} // namespace orvel
