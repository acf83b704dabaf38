// Declaration profiles of both windows: saving the identification fields,
// opening them again, and opening one window's profile in the other.
#include "DeclarationFixture.h"
#include "declarations/Profile.h"
#include "ui/declarations/MaskEdit.h"
#include "ui/declarations/Tnds.h"
#include "ui/declarations/Tnull1.h"
#include "ui/main/Startup.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>

using namespace orveltest;

namespace {
struct Field {
    const char *section;
    const char *name; // the control's form name
};

const QList<Field> kVatFields{{"Familia", "Edit1"}, {"Imya", "Edit2"},   {"Otchestvo", "Edit3"},
                              {"INN", "inn"},       {"KBK", "kbk"},      {"№korrektirovki", "korect"},
                              {"God", "god"},       {"FNS", "fns"},      {"Ok1", "ok1"},
                              {"Ok2", "ok2"},       {"Ok3", "ok3"},      {"Period", "period"},
                              {"Telephone", "tele"}, {"OKATO", "okato"}};
const QList<Field> kSimplifiedFields{{"KPP", "kpp"},  {"FNSName", "Edit1"}, {"Firma", "Edit2"},
                                     {"INN", "inn"},  {"№korrektirovki", "MaskEdit1"}, {"God", "god"},
                                     {"FNS", "fns"},  {"Ok1", "ok1"},       {"Ok2", "ok2"},
                                     {"Ok3", "ok3"},  {"Telephone", "tele"}, {"OKATO", "okato"}};

// A value for every field, as the field shows it.
QString sample(const char *name, int variant)
{
    const QString n = QString::fromLatin1(name);
    const QString d = QString::number(variant % 10);
    if (n == QLatin1String("Edit1"))
        return variant ? QStringLiteral("ИНСПЕКЦИЯ %1").arg(variant) : QStringLiteral("СИДОРОВ");
    if (n == QLatin1String("Edit2"))
        return QStringLiteral("ООО \"Ромашка-%1\"").arg(variant);
    if (n == QLatin1String("Edit3"))
        return QStringLiteral("ПЕТРОВИЧ %1").arg(variant);
    if (n == QLatin1String("tele"))
        return QStringLiteral("8(495)12%1-456%1").arg(d);
    return QString(); // masked fields: digits over the mask's width, see fill()
}

QLineEdit *field(QWidget *window, const char *name) { return child<QLineEdit>(window, name); }

// Fills every profile field of window with values of the given variant.
void fill(QWidget *window, const QList<Field> &fields, int variant)
{
    for (const Field &f : fields) {
        QLineEdit *e = field(window, f.name);
        QString v = sample(f.name, variant);
        if (auto *masked = qobject_cast<orvel::MaskEdit *>(e)) {
            if (v.isEmpty()) {
                const int width = int(masked->text().size());
                for (int i = 0; i < width; ++i)
                    v += QString::number((variant + i + int(qstrlen(f.name))) % 10);
            }
            masked->setText(v);
        } else {
            e->setText(v);
        }
    }
}

QStringList texts(QWidget *window, const QList<Field> &fields)
{
    QStringList t;
    for (const Field &f : fields)
        t << field(window, f.name)->text();
    return t;
}
} // namespace

class TestDeclarationProfiles : public QObject {
    Q_OBJECT

    orvel::OrvelWindows w;
    QTemporaryDir workDir;
    QString oldDir;

    QWidget *window(const QString &which) { return which == QLatin1String("nds") ? (QWidget *)w.nds : w.null1; }
    const QList<Field> &fieldsOf(const QString &which) { return which == QLatin1String("nds") ? kVatFields : kSimplifiedFields; }

    void save(QWidget *win, const QString &path)
    {
        DialogAnswers dialogs;
        dialogs.answers << path;
        click(win, "Button3");
        QCOMPARE(dialogs.requests.size(), 1);
    }
    void open(QWidget *win, const QString &path)
    {
        DialogAnswers dialogs;
        dialogs.answers << path;
        click(win, "Button4");
        QCOMPARE(dialogs.requests.size(), 1);
    }

private slots:
    void initTestCase()
    {
        oldDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        w = orvel::createOrvelWindows();
        w.nds->show();
        w.null1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.null1));
    }
    void cleanupTestCase()
    {
        orvel::destroyOrvelWindows(w);
        QDir::setCurrent(oldDir);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("which");
        QTest::newRow("VAT") << "nds";
        QTest::newRow("simplified") << "null1";
    }
    // Every field comes back as saved; the file holds one section per field,
    // in table order, each with one "Text" key.
    void roundTrip()
    {
        QFETCH(QString, which);
        QWidget *win = window(which);
        const QList<Field> &fields = fieldsOf(which);
        ModalWatcher boxes;
        fill(win, fields, 3);
        const QStringList saved = texts(win, fields);
        const QString path = workDir.filePath(which + QStringLiteral(".ini"));

        DialogAnswers dialogs;
        dialogs.answers << path;
        click(win, "Button3");
        fill(win, fields, 6);
        QVERIFY(texts(win, fields) != saved);
        dialogs.answers << path;
        click(win, "Button4");
        QCOMPARE(texts(win, fields), saved);
        QCOMPARE(boxes.texts(), QStringList());

        QCOMPARE(dialogs.requests.size(), 2);
        QCOMPARE(dialogs.requests[0].kind, orvel::FileDialogRequest::Save);
        QCOMPARE(dialogs.requests[0].name, QStringLiteral("SaveDialog2"));
        QCOMPARE(dialogs.requests[1].kind, orvel::FileDialogRequest::Open);
        QCOMPARE(dialogs.requests[1].name, QStringLiteral("OpenDialog1"));
        QVERIFY(!dialogs.requests[0].confirmOverwrite); // saving merges into the file
        QVERIFY(!dialogs.requests[1].mustExist);        // a new name empties the fields
        for (const orvel::FileDialogRequest &r : dialogs.requests) {
            QCOMPARE(r.filter, QStringLiteral("Профайл декларации|*.ini"));
            QCOMPARE(r.defaultSuffix, QStringLiteral("ini"));
        }

        const QByteArray file = readFile(path);
        qsizetype last = -1;
        for (int i = 0; i < fields.size(); ++i) {
            // Section names without "№", whatever encoding the file uses for it.
            const QByteArray name = QByteArray(fields[i].section).replace("№", "") + ']';
            const qsizetype at = file.indexOf(name);
            QVERIFY2(at > last, fields[i].section);
            last = at;
            QCOMPARE(orvel::readProfileString(path, QString::fromUtf8(fields[i].section), QStringLiteral("Text")),
                     saved[i].trimmed());
        }
        QCOMPARE(file.count("Text="), fields.size());
    }

    // Untouched masked fields: written at full width, read back without
    // their trailing blanks, and shown as before through the mask.
    void untouchedMaskedFields()
    {
        ModalWatcher boxes;
        w.nds->inn->setText(QString());
        w.nds->tele->setText(QString());
        const QString path = workDir.filePath(QStringLiteral("untouched.ini"));
        save(w.nds, path);
        QCOMPARE(orvel::readProfileString(path, QStringLiteral("INN"), QStringLiteral("Text")), QString());
        QCOMPARE(orvel::readProfileString(path, QStringLiteral("Telephone"), QStringLiteral("Text")),
                 QStringLiteral("8(   )   -"));
        w.nds->inn->setText(QStringLiteral("123456789012"));
        w.nds->tele->setText(QStringLiteral("84951234567"));
        open(w.nds, path);
        QCOMPARE(w.nds->inn->text(), QString(12, ' '));
        QCOMPARE(w.nds->tele->text(), QStringLiteral("8(   )   -    "));
    }

    void missingFile_data() { roundTrip_data(); }
    // Every profile field empties; the fields outside the profile stay.
    void missingFile()
    {
        QFETCH(QString, which);
        QWidget *win = window(which);
        const QList<Field> &fields = fieldsOf(which);
        fill(win, fields, 2);
        w.nds->summa->setText(QStringLiteral("42"));
        w.nds->ComboBox1->setCurrentIndex(1);
        w.null1->MaskEdit2->setText(QStringLiteral("03"));
        open(win, workDir.filePath(QStringLiteral("nothing-here.ini")));
        for (const Field &f : fields) {
            QLineEdit *e = field(win, f.name);
            auto *masked = qobject_cast<orvel::MaskEdit *>(e);
            QCOMPARE(e->text(), masked ? orvel::emptyMaskText(masked->mask()) : QString());
        }
        QCOMPARE(w.nds->summa->text(), QStringLiteral("42"));
        QCOMPARE(w.nds->ComboBox1->currentIndex(), 1);
        QCOMPARE(w.null1->MaskEdit2->text(), QStringLiteral("03"));
    }

    void vatProfileInSimplifiedWindow()
    {
        w.nds->inn->setText(QStringLiteral("771234567890"));
        w.nds->korect->setText(QStringLiteral("001"));
        w.nds->god->setText(QStringLiteral("2010"));
        w.nds->fns->setText(QStringLiteral("7701"));
        w.nds->ok1->setText(QStringLiteral("52"));
        w.nds->ok2->setText(QStringLiteral("11"));
        w.nds->ok3->setText(QStringLiteral("04"));
        w.nds->tele->setText(QStringLiteral("8(495)123-4567"));
        w.nds->okato->setText(QStringLiteral("45286555000"));
        const QString path = workDir.filePath(QStringLiteral("vat.ini"));
        save(w.nds, path);
        fill(w.null1, kSimplifiedFields, 1);
        open(w.null1, path);
        QCOMPARE(texts(w.null1, kSimplifiedFields),
                 (QStringList{QString(9, ' '), "", "", "771234567890", "0", "2010", "7701", "52", "11", "04",
                              "8(495)123-4567", "45286555000"}));
    }

    void simplifiedProfileInVatWindow()
    {
        fill(w.null1, kSimplifiedFields, 4);
        w.null1->MaskEdit1->setText(QStringLiteral("5"));
        const QString path = workDir.filePath(QStringLiteral("simplified.ini"));
        save(w.null1, path);
        fill(w.nds, kVatFields, 7);
        open(w.nds, path);
        const QStringList expected{"", "", "", w.null1->inn->text(), QString(20, ' '), "5  ", w.null1->god->text(),
                                   w.null1->fns->text(), w.null1->ok1->text(), w.null1->ok2->text(),
                                   w.null1->ok3->text(), "  ", w.null1->tele->text(), w.null1->okato->text()};
        QCOMPARE(texts(w.nds, kVatFields), expected);
    }

    // Saving into a file that holds a profile already updates the values in
    // place: one "Text" per section, the shared sections with the values
    // written last, the other window's sections kept.
    void savingTwice()
    {
        const QString path = workDir.filePath(QStringLiteral("both.ini"));
        fill(w.null1, kSimplifiedFields, 1);
        save(w.null1, path);
        fill(w.nds, kVatFields, 8);
        save(w.nds, path);
        save(w.nds, path);
        const QByteArray file = readFile(path);
        QCOMPARE(file.count("Text="), 17); // 14 of the VAT profile and KPP, FNSName, Firma
        QCOMPARE(orvel::readProfileString(path, QStringLiteral("INN"), QStringLiteral("Text")), w.nds->inn->text());
        QCOMPARE(orvel::readProfileString(path, QStringLiteral("KPP"), QStringLiteral("Text")), w.null1->kpp->text());
        QCOMPARE(orvel::readProfileString(path, QStringLiteral("Firma"), QStringLiteral("Text")), w.null1->Edit2->text());
    }

    void cancelled()
    {
        ModalWatcher boxes;
        fill(w.nds, kVatFields, 5);
        const QStringList before = texts(w.nds, kVatFields);
        const QStringList files = QDir(workDir.path()).entryList(QDir::Files);
        save(w.nds, QString());
        open(w.nds, QString());
        QCOMPARE(texts(w.nds, kVatFields), before);
        QCOMPARE(QDir(workDir.path()).entryList(QDir::Files), files);
        QCOMPARE(boxes.texts(), QStringList());
    }

    // The dialogs as the windows really show them (no hook): the profile's
    // save dialog takes an existing file without asking, since saving adds
    // to it; the profile's open dialog takes a name that does not exist,
    // which empties the fields; the target workbook's save dialog still asks
    // before an existing workbook is replaced.
    void dialogsAsShown_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<bool>("fileThere");
        QTest::addColumn<bool>("asks"); // about the existing file
        QTest::newRow("SaveDialog2 onto a profile") << "nds" << "Button3" << "SaveDialog2" << true << false;
        QTest::newRow("OpenDialog1, a new name") << "null1" << "Button4" << "OpenDialog1" << false << false;
        QTest::newRow("SaveDialog1 onto a workbook") << "nds" << "Button1" << "SaveDialog1" << true << true;
    }
    void dialogsAsShown()
    {
        QFETCH(QString, which);
        QFETCH(QString, button);
        QFETCH(QString, dialog);
        QFETCH(bool, fileThere);
        QFETCH(bool, asks);
        QWidget *win = window(which);
        const QString path = workDir.filePath(dialog + (dialog == QLatin1String("SaveDialog1") ? ".xls" : ".ini"));
        QFile::remove(path);
        const QByteArray before = "[Mine]\r\nText=kept\r\n";
        if (fileThere)
            writeFile(path, before);
        fill(win, fieldsOf(which), 2);

        QStringList seen; // the dialogs, by name
        QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
        QFileDialog::FileMode fileMode = QFileDialog::ExistingFile;
        bool confirms = false;
        ModalWatcher boxes([&](QWidget *modal) {
            auto *d = qobject_cast<QFileDialog *>(modal);
            if (!d)
                return;
            if (d->property("answered").toBool()) {
                d->reject(); // it refused the answer and stayed open
                return;
            }
            d->setProperty("answered", true);
            seen << d->objectName();
            acceptMode = d->acceptMode();
            fileMode = d->fileMode();
            confirms = !d->testOption(QFileDialog::DontConfirmOverwrite);
            QCOMPARE(d->defaultSuffix(), dialog == QLatin1String("SaveDialog1") ? "xls" : "ini");
            d->selectFile(path);
            // Queued: a box the dialog shows is answered by the next poll.
            QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
        });
        click(win, button.toLatin1().constData());

        QCOMPARE(seen, QStringList{dialog});
        if (asks) {
            // Asked, answered No: nothing written.
            QCOMPARE(boxes.texts().size(), 1);
            QVERIFY2(boxes.texts()[0].contains("already exists"), qPrintable(boxes.texts()[0]));
            QCOMPARE(readFile(path), before);
        } else {
            QCOMPARE(boxes.texts(), QStringList());
        }
        if (dialog == QLatin1String("SaveDialog2")) {
            QCOMPARE(orvel::readProfileString(path, QStringLiteral("Mine"), QStringLiteral("Text")), "kept");
            QCOMPARE(orvel::readProfileString(path, QStringLiteral("INN"), QStringLiteral("Text")),
                     w.nds->inn->text());
        } else if (dialog == QLatin1String("OpenDialog1")) {
            QVERIFY(!QFileInfo::exists(path));
            QCOMPARE(w.null1->Edit2->text(), QString());
            QCOMPARE(w.null1->inn->text(), QString(12, ' '));
        }
        // The options behind it.
        const bool saving = dialog.startsWith(QLatin1String("Save"));
        QCOMPARE(acceptMode, saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        QCOMPARE(fileMode, QFileDialog::AnyFile);
        if (saving)
            QCOMPARE(confirms, asks);
    }

    void writeRefused()
    {
        ModalWatcher boxes;
        const QString path = workDir.filePath(QStringLiteral("no-such-folder/p.ini"));
        save(w.null1, path);
        QCOMPARE(boxes.texts(), QStringList{"Unable to write to " + path + "."});
        QVERIFY(!QFileInfo::exists(path));
    }
};

QTEST_MAIN(TestDeclarationProfiles)
#include "test_declaration_profiles.moc"
