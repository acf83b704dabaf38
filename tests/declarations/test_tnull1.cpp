// The simplified declaration window: its fields and the declaration run as
// the spreadsheet application sees it.
#include "DeclarationFixture.h"
#include "ui/declarations/MaskEdit.h"
#include "ui/declarations/Tnull1.h"
#include "ui/main/Startup.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include <deque>

using namespace orveltest;

namespace {
// Radio buttons of one group cannot be unchecked one by one.
void chooseKind(Tnull1 *f, int kind) // 0 none, 1 primary, 2 corrective
{
    for (QRadioButton *b : {f->RadioButton1, f->RadioButton2}) {
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
    }
    if (kind == 1)
        f->RadioButton1->setChecked(true);
    else if (kind == 2)
        f->RadioButton2->setChecked(true);
}
} // namespace

class TestTnull1 : public QObject {
    Q_OBJECT

    orvel::OrvelWindows w;
    QTemporaryDir workDir;
    QString oldDir;
    // The window keeps the application object of its last run, which writes
    // into its log when the next run releases it: every log outlives the windows.
    std::deque<SpreadsheetLog> logs;
    SpreadsheetLog &newLog() { return logs.emplace_back(); }

    Tnull1 *form() { return w.null1; }

    QStringList run(SpreadsheetLog &log, const QString &target, DialogAnswers &dialogs)
    {
        dialogs.answers << target;
        RecordingScope scope(log);
        const auto c = recordProgress(form()->ProgressBar1, log);
        click(form(), "Button1");
        QObject::disconnect(c);
        return log.calls;
    }

    static QStringList progressSteps(const QStringList &calls)
    {
        return calls.filter(QRegularExpression(QStringLiteral("^progress ")));
    }

private slots:
    void initTestCase()
    {
        oldDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        w = orvel::createOrvelWindows();
        form()->show();
        QVERIFY(QTest::qWaitForWindowExposed(form()));
    }
    void cleanupTestCase()
    {
        orvel::destroyOrvelWindows(w);
        QDir::setCurrent(oldDir);
    }

    void fields_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("text");
        QTest::newRow("Edit1") << "Edit1" << "Наименование налогового органа:" << ""
                               << "Межрайонная инспекция Федеральной налоговой службы № 1 по Московской области";
        QTest::newRow("fns") << "fns" << "Код ФНС:" << "0000;1;_" << "    ";
        QTest::newRow("Edit2") << "Edit2" << "Полное наименование организации / ИП" << "" << "ООО \"Пупкин лтд\"";
        QTest::newRow("MaskEdit1") << "MaskEdit1" << "Номер корректировки:" << "0;1;_" << " ";
        QTest::newRow("inn") << "inn" << "ИНН:" << "000000000000;1;_" << QString(12, ' ');
        QTest::newRow("kpp") << "kpp" << "КПП:" << "000000000;1;_" << QString(9, ' ');
        QTest::newRow("okato") << "okato" << "ОКАТО:" << "00000000000;1;_" << QString(11, ' ');
        QTest::newRow("ok1") << "ok1" << "ОКВЭД" << "00;1;_" << "  ";
        QTest::newRow("ok2") << "ok2" << "." << "00;1;_" << "  ";
        QTest::newRow("ok3") << "ok3" << "." << "00;1;_" << "  ";
        QTest::newRow("god") << "god" << "Год:" << "0000;1;_" << "    ";
        QTest::newRow("tele") << "tele" << "Контактный тел:" << "8\\(999\\)000-0000;1;_" << "8(   )   -    ";
        QTest::newRow("MaskEdit3") << "MaskEdit3" << "Отчетный период:" << "0;1;_" << " ";
        QTest::newRow("MaskEdit2") << "MaskEdit2" << "№ квартала:" << "00;1;_" << "  ";
        QTest::newRow("MaskEdit5") << "MaskEdit5" << "Отчетный период:" << "0;1;_" << " ";
        QTest::newRow("MaskEdit4") << "MaskEdit4" << "№ квартала:" << "00;1;_" << "  ";
    }
    void fields()
    {
        QFETCH(QString, name);
        QFETCH(QString, label);
        QFETCH(QString, mask);
        QFETCH(QString, text);
        auto *field = child<QLineEdit>(form(), name.toLatin1().constData());
        auto *masked = qobject_cast<orvel::MaskEdit *>(field);
        QCOMPARE(masked ? masked->editMask() : QString(), mask);
        QCOMPARE(field->text(), text);
        bool found = false;
        for (QLabel *l : form()->findChildren<QLabel *>()) {
            if (l->text() != label)
                continue;
            const QRect lr(l->mapTo(form(), QPoint(0, 0)), l->size());
            const QRect fr(field->mapTo(form(), QPoint(0, 0)), field->size());
            if (lr.right() < fr.left() && lr.center().y() >= fr.top() - 8 && lr.center().y() <= fr.bottom() + 8)
                found = true;
        }
        QVERIFY2(found, qPrintable(label));
    }

    void window()
    {
        const QString caption = QStringLiteral("Заполнение единой (упрощенной) налоговой декларации");
        QCOMPARE(form()->windowTitle(), caption);
        QCOMPARE(child<QLabel>(form(), "TitleLabel")->text(), caption);
        QCOMPARE(form()->RadioButton1->text(), QStringLiteral("Первичная"));
        QCOMPARE(form()->RadioButton2->text(), QStringLiteral("Корректирующая "));
        QVERIFY(!form()->RadioButton1->isChecked());
        QVERIFY(!form()->RadioButton2->isChecked());
        auto *taxes = child<QGroupBox>(form(), "GroupBox1");
        QCOMPARE(taxes->title(), QStringLiteral("Налоги, по которым представляется декларация"));
        const QList<QPair<const char *, QString>> boxes{{"CheckBox1", "НДС"},
                                                       {"CheckBox2", "Налог на прибыль организации"}};
        for (const auto &b : boxes) {
            auto *c = child<QCheckBox>(taxes, b.first);
            QCOMPARE(c->text(), b.second);
            QVERIFY(!c->isChecked());
        }
        for (const char *name : {"MaskEdit2", "MaskEdit3", "MaskEdit4", "MaskEdit5"})
            child<QLineEdit>(taxes, name);
        const QList<QPair<const char *, QString>> buttons{{"Button1", "Сформировать"},
                                                         {"Button2", "Выход"},
                                                         {"Button3", "Сохранить профиль"},
                                                         {"Button4", "Открыть профиль"}};
        for (const auto &b : buttons)
            QCOMPARE(child<QPushButton>(form(), b.first)->text(), b.second);
        QCOMPARE(form()->ProgressBar1->value(), 0);
        form()->grab().save(QStringLiteral("/tmp/orvel-null1.png"));

        click(form(), "Button2");
        QVERIFY(!form()->isVisible());
        form()->show();
        QVERIFY(form()->close());
        QVERIFY(!form()->isVisible());
        form()->show();
        QVERIFY(QTest::qWaitForWindowExposed(form()));
    }

    void fullRun()
    {
        ProgramFolder folder;
        DialogAnswers dialogs;
        ModalWatcher boxes;
        Tnull1 *f = form();
        f->fns->setText(QStringLiteral("5001"));
        chooseKind(f, 2);
        f->MaskEdit1->setText(QStringLiteral("2"));
        f->inn->setText(QStringLiteral("500100732259"));
        f->kpp->setText(QStringLiteral("500101001"));
        f->okato->setText(QStringLiteral("46231501000"));
        f->ok1->setText(QStringLiteral("74"));
        f->ok2->setText(QStringLiteral("14"));
        f->ok3->setText(QStringLiteral("01"));
        f->god->setText(QStringLiteral("2011"));
        f->tele->setText(QStringLiteral("8(496)555-1234"));
        f->CheckBox1->setChecked(true);
        f->MaskEdit3->setText(QStringLiteral("3"));
        f->MaskEdit2->setText(QStringLiteral("09"));
        f->CheckBox2->setChecked(true);
        f->MaskEdit5->setText(QStringLiteral("2"));
        f->MaskEdit4->setText(QStringLiteral("06"));
        const QString target = folder.target(QStringLiteral("упрощенная.xls"));
        writeFile(target, "an old, unrelated workbook");
        SpreadsheetLog &log = newLog();
        const QStringList calls = run(log, target, dialogs);

        const QString r = QStringLiteral("A1:EI69");
        QStringList expected{"progress 5", "create Excel.Application", "Workbooks.Open(" + target + ")", "progress 8"};
        expected << groupLines(r, "АО", "46231501000", "") << "progress 10" << groupLines(r, "ГД", "2011", "")
                 << groupLines(r, "КП", "500101001", "") << groupLines(r, "КД", "5001", "") << "progress 15"
                 << groupLines(r, "И", "500100732259", "") << groupLines(r, "Ш", "74", "") << "progress 20"
                 << groupLines(r, "Щ", "14", "") << groupLines(r, "Ч", "01", "") << "progress 25"
                 << "Range(W17) := \"Межрайонная инспекция Федеральной налоговой службы № 1 по Московской области\""
                 << "Range(C20) := \"ООО \"Пупкин лтд\"\"" << "progress 30"
                 << "Range(O14) := 3" << "progress 35" << "Range(V14) := \"2\"" << "progress 40"
                 << "Range(AZ43) := \"8(496)555-1234\""
                 << "Range(F34) := \"Налог на добавленную стоимость\"" << "progress 45"
                 << "Range(CE34) := \"21\"" << "Range(DA34) := \"3\"" << "progress 50"
                 << "Range(DP34) := \"0\"" << "Range(DU34) := \"9\"" << "progress 60"
                 << "Range(F36) := \"Налог на прибыль организаций\"" << "progress 70"
                 << "Range(CE36) := \"25\"" << "progress 80" << "Range(DA36) := \"2\"" << "Range(DP36) := \"0\""
                 << "progress 90" << "Range(DU36) := \"6\""
                 << "ActiveWorkbook.Close(SaveChanges:=True)" << "Application.Quit" << "progress 100" << "progress 0";
        QCOMPARE(calls, expected);
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes[0].title, QStringLiteral("Декларация сформирована"));
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("Декларация успешно сформирована!"));
        QCOMPARE(boxes.boxes[0].icon, QMessageBox::Information);
        QCOMPARE(readFile(target), QByteArray("upr template"));
        QCOMPARE(dialogs.requests.size(), 1);
        QCOMPARE(dialogs.requests[0].name, QStringLiteral("SaveDialog1"));
        QCOMPARE(dialogs.requests[0].filter, QStringLiteral("Книга Excel 97-2003|*.xls"));
        QCOMPARE(dialogs.requests[0].defaultSuffix, QStringLiteral("xls"));
        QCOMPARE(log.destroyed, 0);
    }

    void declarationKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("lines"); // between progress 30 and progress 40
        QTest::newRow("neither") << 0 << QStringList{"progress 30", "progress 40"};
        QTest::newRow("primary") << 1 << QStringList{"progress 30", "Range(O14) := 1", "progress 40"};
        QTest::newRow("corrective") << 2
                                    << QStringList{"progress 30", "Range(O14) := 3", "progress 35",
                                                   "Range(V14) := \" \"", "progress 40"};
    }
    void declarationKind()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, lines);
        ProgramFolder folder;
        DialogAnswers dialogs;
        ModalWatcher boxes;
        chooseKind(form(), kind);
        form()->MaskEdit1->setText(QString());
        SpreadsheetLog &log = newLog();
        const QStringList calls = run(log, folder.target(QStringLiteral("t.xls")), dialogs);
        const int from = int(calls.indexOf(QStringLiteral("progress 30")));
        const int to = int(calls.indexOf(QStringLiteral("progress 40")));
        QVERIFY(from >= 0 && to > from);
        QCOMPARE(calls.mid(from, to - from + 1), lines);
    }

    // Without taxes the progress goes from 40 to 100 and rows 34 and 36 stay
    // as the template has them; untouched masked fields give one blank per position.
    void untouchedFields()
    {
        ProgramFolder folder;
        DialogAnswers dialogs;
        ModalWatcher boxes;
        chooseKind(form(), 0);
        form()->CheckBox1->setChecked(false);
        form()->CheckBox2->setChecked(false);
        form()->kpp->setText(QString());
        SpreadsheetLog &log = newLog();
        QStringList calls = run(log, folder.target(QStringLiteral("t.xls")), dialogs);
        QCOMPARE(progressSteps(calls).join(QLatin1Char(',')),
                 QStringLiteral("progress 5,progress 8,progress 10,progress 15,progress 20,progress 25,progress 30,"
                                "progress 40,progress 100,progress 0"));
        QCOMPARE(calls.filter(QRegularExpression(QStringLiteral("^Range\\([A-Z]+3[46]\\)"))), QStringList());
        QVERIFY(calls.join(QLatin1Char('|')).contains(groupLines(QStringLiteral("A1:EI69"), "КП", QString(9, ' '), "").join(QLatin1Char('|'))));

        // The VAT row alone, its quarter untouched.
        form()->CheckBox1->setChecked(true);
        form()->MaskEdit2->setText(QString());
        SpreadsheetLog &vat = newLog();
        calls = run(vat, folder.target(QStringLiteral("t2.xls")), dialogs);
        QVERIFY(calls.contains(QStringLiteral("Range(DP34) := \" \"")));
        QVERIFY(calls.contains(QStringLiteral("Range(DU34) := \" \"")));
        QCOMPARE(calls.filter(QRegularExpression(QStringLiteral("^Range\\([A-Z]+36\\)"))), QStringList());
        QCOMPARE(progressSteps(calls).join(QLatin1Char(',')),
                 QStringLiteral("progress 5,progress 8,progress 10,progress 15,progress 20,progress 25,progress 30,"
                                "progress 40,progress 45,progress 50,progress 60,progress 100,progress 0"));
        form()->CheckBox1->setChecked(false);
    }

    void longAuthorityName()
    {
        ProgramFolder folder;
        DialogAnswers dialogs;
        ModalWatcher boxes;
        const QString name = QStringLiteral("Инспекция ").repeated(300);
        form()->Edit1->setText(name);
        SpreadsheetLog &log = newLog();
        const QStringList calls = run(log, folder.target(QStringLiteral("t.xls")), dialogs);
        QVERIFY(calls.contains(QStringLiteral("Range(W17) := \"%1\"").arg(name)));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("removeTemplate");
        QTest::addColumn<QString>("failOn");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("progress");
        QTest::newRow("missing template") << "yes" << "" << QStringList() << "Не найден шаблон декларации: %1." << 0;
        QTest::newRow("no application") << "" << "create" << QStringList{"progress 5", "create Excel.Application"}
                                        << "Automation failed." << 5;
        QTest::newRow("cell") << "" << "Range(W17)" << QStringList() << "Automation failed." << 25;
    }
    void failures()
    {
        QFETCH(QString, removeTemplate);
        QFETCH(QString, failOn);
        QFETCH(QStringList, calls);
        QFETCH(QString, box);
        QFETCH(int, progress);
        ProgramFolder folder;
        if (!removeTemplate.isEmpty())
            QFile::remove(folder.uprTemplate());
        DialogAnswers dialogs;
        ModalWatcher boxes;
        SpreadsheetLog &log = newLog();
        log.failOn = failOn;
        log.failMessage = QStringLiteral("Automation failed");
        const QString target = folder.target(QStringLiteral("t.xls"));
        const QStringList made = run(log, target, dialogs);
        if (!calls.isEmpty() || removeTemplate.size())
            QCOMPARE(made, calls);
        QVERIFY(!made.contains(QStringLiteral("Application.Quit")));
        QCOMPARE(boxes.texts(), QStringList{box.arg(folder.uprTemplate())});
        QCOMPARE(form()->ProgressBar1->value(), progress);
        QCOMPARE(QFileInfo::exists(target), removeTemplate.isEmpty());
        form()->ProgressBar1->setValue(0);
    }

    void cancelled()
    {
        ProgramFolder folder;
        DialogAnswers dialogs;
        ModalWatcher boxes;
        SpreadsheetLog &log = newLog();
        QCOMPARE(run(log, QString(), dialogs), QStringList());
        QCOMPARE(log.created, 0);
        QCOMPARE(boxes.texts(), QStringList());
    }
};

QTEST_MAIN(TestTnull1)
#include "test_tnull1.moc"
