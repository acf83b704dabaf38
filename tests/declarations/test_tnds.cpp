// The VAT declaration window: its fields, the amounts it takes from the tax
// tab, and the declaration run as the spreadsheet application sees it.
#include "DeclarationFixture.h"
#include "DeclarationSamples.h"
#include "ui/declarations/MaskEdit.h"
#include "ui/declarations/Tnds.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <deque>
#include <QTabWidget>
#include <QUrl>

using namespace orveltest;

class TestTnds : public QObject {
    Q_OBJECT

    orvel::OrvelWindows w;
    QTemporaryDir workDir;
    QString oldDir;
    // The window keeps the application object of its last run, which writes
    // into its log when the next run releases it: every log outlives the windows.
    std::deque<SpreadsheetLog> logs;
    SpreadsheetLog &newLog() { return logs.emplace_back(); }
    QList<QUrl> openedUrls;

    Tnds *nds() { return w.nds; }

    // Every field as a person would fill it in for the full run.
    void fillAll()
    {
        Tnds *f = nds();
        fillVatWindow(f);
    }

    // One declaration run into target; returns the transcript with the progress steps.
    QStringList run(SpreadsheetLog &log, const QString &target, DialogAnswers &dialogs)
    {
        dialogs.answers << target;
        RecordingScope scope(log);
        const auto c = recordProgress(nds()->ProgressBar1, log);
        click(nds(), "Button1");
        QObject::disconnect(c);
        return log.calls;
    }

public slots:
    void recordUrl(const QUrl &url) { openedUrls << url; }

private slots:
    void initTestCase()
    {
        oldDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        w = orvel::createOrvelWindows();
        nds()->show();
        QVERIFY(QTest::qWaitForWindowExposed(nds()));
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
        QTest::addColumn<QString>("mask"); // empty: free text
        QTest::addColumn<QString>("text");
        QTest::newRow("Edit1") << "Edit1" << "Фамилия:" << "" << "ПЕТРОВ";
        QTest::newRow("Edit2") << "Edit2" << "Имя:" << "" << "ИВАН";
        QTest::newRow("Edit3") << "Edit3" << "Отчество:" << "" << "ИВАНОВИЧ";
        QTest::newRow("tele") << "tele" << "Контактный тел:" << "8\\(999\\)000-0000;1;_" << "8(   )   -    ";
        QTest::newRow("inn") << "inn" << "ИНН" << "000000000000;1;_" << QString(12, ' ');
        QTest::newRow("korect") << "korect" << "№ корректировки" << "000;1;_" << "000";
        QTest::newRow("period") << "period" << "Период" << "00;1;_" << "  ";
        QTest::newRow("god") << "god" << "Год" << "0000;1;_" << "    ";
        QTest::newRow("ok1") << "ok1" << "ОКВЭД" << "00;1;_" << "  ";
        QTest::newRow("ok2") << "ok2" << "." << "00;1;_" << "  ";
        QTest::newRow("ok3") << "ok3" << "." << "00;1;_" << "  ";
        QTest::newRow("fns") << "fns" << "Код ФНС" << "0000;1;_" << "    ";
        QTest::newRow("okato") << "okato" << "ОКАТО:" << "00000000000;1;_" << QString(11, ' ');
        QTest::newRow("kbk") << "kbk" << "КБК:" << "00000000000000000000;1;_" << QString(20, ' ');
        QTest::newRow("summa1") << "summa1" << "Налоговая база: " << "" << "0";
        QTest::newRow("summa") << "summa" << "НДС:" << "" << "0";
    }
    // A fresh window, as the start-up sequence creates it (checked before any
    // test types into it: the window is shown with the amounts 0).
    void fields()
    {
        QFETCH(QString, name);
        QFETCH(QString, label);
        QFETCH(QString, mask);
        QFETCH(QString, text);
        auto *field = child<QLineEdit>(nds(), name.toLatin1().constData());
        auto *masked = qobject_cast<orvel::MaskEdit *>(field);
        QCOMPARE(masked ? masked->editMask() : QString(), mask);
        QCOMPARE(field->text(), text);
        // The label sits just left of its field.
        bool found = false;
        for (QLabel *l : nds()->findChildren<QLabel *>()) {
            if (l->text() != label)
                continue;
            const QRect lr(l->mapTo(nds(), QPoint(0, 0)), l->size());
            const QRect fr(field->mapTo(nds(), QPoint(0, 0)), field->size());
            if (lr.right() < fr.left() && lr.right() > fr.left() - 60 && lr.center().y() >= fr.top() - 8
                && lr.center().y() <= fr.bottom() + 8)
                found = true;
        }
        QVERIFY2(found, qPrintable(label));
    }

    void window()
    {
        QCOMPARE(nds()->windowTitle(), QStringLiteral("Заполнение декларации НДС"));
        QCOMPARE(child<QLabel>(nds(), "TitleLabel")->text(), QStringLiteral("Заполнение декларации НДС"));
        auto *tabs = child<QTabWidget>(nds(), "PageControl1");
        QCOMPARE(tabs->count(), 1);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Индивидуальный предприниматель"));
        auto *combo = child<QComboBox>(nds(), "ComboBox1");
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("Да"));
        QCOMPARE(combo->itemText(1), QStringLiteral("Нет"));
        QCOMPARE(combo->currentIndex(), -1);
        QVERIFY(!combo->isEditable());
        const QList<QPair<const char *, QString>> buttons{{"Button1", "Сформировать"},
                                                         {"Button2", "Выход"},
                                                         {"BitBtn1", "Узнать"},
                                                         {"Button3", "Сохранить профиль"},
                                                         {"Button4", "Открыть профиль"}};
        for (const auto &b : buttons)
            QCOMPARE(child<QPushButton>(nds(), b.first)->text(), b.second);
        QCOMPARE(nds()->ProgressBar1->minimum(), 0);
        QCOMPARE(nds()->ProgressBar1->maximum(), 100);
        QCOMPARE(nds()->ProgressBar1->value(), 0);
        nds()->grab().save(QStringLiteral("/tmp/orvel-nds.png"));
    }

    // The amounts are taken when the window turns visible, not when it is
    // shown again while visible.
    void amountsOnShow()
    {
        LocaleScope locale(commaLocale());
        nds()->hide();
        w.form1->lastEnteredAmount = 118;
        w.form1->lastTaxResult = 21.24;
        nds()->show();
        QCOMPARE(nds()->summa->text(), QStringLiteral("21,24"));
        QCOMPARE(nds()->summa1->text(), QStringLiteral("118"));
        w.form1->lastEnteredAmount = 5;
        w.form1->lastTaxResult = 1;
        nds()->show();
        nds()->raise();
        QCOMPARE(nds()->summa->text(), QStringLiteral("21,24"));
        click(nds(), "Button2");
        QVERIFY(!nds()->isVisible());
        nds()->show();
        QCOMPARE(nds()->summa->text(), QStringLiteral("1"));
        QCOMPARE(nds()->summa1->text(), QStringLiteral("5"));
        // The close box only hides the window too.
        QVERIFY(nds()->close());
        QVERIFY(!nds()->isVisible());
        nds()->show();
        QVERIFY(QTest::qWaitForWindowExposed(nds()));
    }

    void officeLookup()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "recordUrl");
        click(nds(), "BitBtn1");
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(openedUrls, QList<QUrl>{QUrl(QStringLiteral("https://service.nalog.ru/addrno.do"))});
    }

    void fullRun()
    {
        LocaleScope locale(commaLocale());
        ProgramFolder folder;
        DialogAnswers dialogs;
        ModalWatcher boxes;
        w.form1->lastEnteredAmount = 118;
        w.form1->lastTaxResult = 21.24;
        nds()->hide();
        nds()->show();
        fillAll();
        // An old workbook under the chosen name is replaced by a fresh copy.
        const QString target = folder.target(QStringLiteral("декларация.xls"));
        writeFile(target, "an old, unrelated workbook");
        SpreadsheetLog &log = newLog();
        const QStringList calls = run(log, target, dialogs);

        const QString r = QStringLiteral("A1:DN79");
        const QString a = QStringLiteral("'");
        QStringList expected{"progress 5", "create Excel.Application", "Workbooks.Open(" + target + ")",
                             "ActiveWorkBook.Worksheets.Item(стр.2).activate"};
        expected << groupLines(r, "АО", "45286555000", a) << groupLines(r, "КБК", "18210301000011000110", a)
                 << "progress 10" << groupLines(r, "СМ", "21,24       ", a)
                 << "ActiveWorkBook.Worksheets.Item(стр.4).activate" << "progress 15"
                 << groupLines(r, "СМ", "21,24       ", a) << groupLines(r, "СУ", "118         ", a) << "progress 20"
                 << "ActiveWorkBook.Worksheets.Item(стр.1).activate" << groupLines(r, "ОКВ", "52", a)
                 << groupLines(r, "П", "11", a) << groupLines(r, "ОКВЕ", "04", a) << "progress 30"
                 << groupLines(r, "ф", "7701", a) << groupLines(r, "И", "771234567890", a)
                 << groupLines(r, "Г", "2010", a) << groupLines(r, "ТЕЛ", "8(495)123-4567", a)
                 << groupLines(r, "К", "001", a) << groupLines(r, "Н", "21", a) << "progress 40"
                 << "Range(A16) := \"С\"" << "Range(D16) := \"И\"" << "Range(G16) := \"Д\"" << "Range(J16) := \"О\""
                 << "Range(M16) := \"Р\"" << "Range(P16) := \"О\"" << "Range(S16) := \"В\"" << "progress 50"
                 << "Range(A18) := \"П\"" << "Range(D18) := \"Ё\"" << "Range(G18) := \"Т\"" << "Range(J18) := \"Р\""
                 << "progress 60"
                 << "Range(A20) := \"А\"" << "Range(D20) := \"Л\"" << "Range(G20) := \"Е\"" << "Range(J20) := \"К\""
                 << "Range(M20) := \"С\"" << "Range(P20) := \"А\"" << "Range(S20) := \"Н\"" << "Range(V20) := \"Д\""
                 << "Range(Y20) := \"Р\"" << "progress 70"
                 << "Range(AB20) := \"О\"" << "Range(AE20) := \"В\"" << "Range(AH20) := \"И\""
                 << "Range(AK20) := \"Ч\"" << "progress 80" << "progress 90"
                 << "Range(DF14) := \"'4\"" << "Range(DI14) := \"'0\"" << "Range(DL14) := \"'0\""
                 << "ActiveWorkbook.Close(SaveChanges:=True)" << "Application.Quit" << "progress 100" << "progress 0";
        QCOMPARE(calls, expected);
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes[0].title, QStringLiteral("Декларация сформирована"));
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("Декларация успешно сформирована!"));
        QCOMPARE(boxes.boxes[0].icon, QMessageBox::Information);
        QCOMPARE(readFile(target), QByteArray("nds template"));

        QCOMPARE(dialogs.requests.size(), 1);
        const orvel::FileDialogRequest &req = dialogs.requests[0];
        QCOMPARE(req.kind, orvel::FileDialogRequest::Save);
        QCOMPARE(req.name, QStringLiteral("SaveDialog1"));
        QCOMPARE(req.filter, QStringLiteral("Книга Excel 97-2003|*.xls"));
        QCOMPARE(req.defaultSuffix, QStringLiteral("xls"));
        QCOMPARE(req.fileName, QString());

        // The application object stays with the window until the next run.
        QCOMPARE(log.created, 1);
        QCOMPARE(log.destroyed, 0);
        SpreadsheetLog &second = newLog();
        run(second, folder.target(QStringLiteral("second.xls")), dialogs);
        QCOMPARE(log.destroyed, 1);
        QCOMPARE(second.destroyed, 0);
        // The dialog's file name was cleared after the first run.
        QCOMPARE(dialogs.requests.last().fileName, QString());
    }

    void letterCells_data()
    {
        QTest::addColumn<QString>("surname");
        QTest::addColumn<QString>("firstName");
        QTest::addColumn<QString>("patronymic");
        QTest::addColumn<QStringList>("cells");
        const QStringList columns{"A", "D", "G", "J", "M", "P", "S", "V", "Y", "AB",
                                  "AE", "AH", "AK", "AN", "AQ", "AT", "AW", "AZ", "BC", "BF"};
        QStringList twenty;
        const QString long23 = QStringLiteral("АБВГДЕЖЗИКЛМНОПРСТУФХЦЧ");
        for (int k = 0; k < 20; ++k)
            twenty << QStringLiteral("%1%2=%3").arg(columns[k]).arg(18).arg(long23[k]);
        QTest::newRow("empty surname") << "" << "Ян" << "" << QStringList{"A18=Я", "D18=н"};
        QTest::newRow("23 letters") << "" << long23 << "" << twenty;
        QTest::newRow("as typed") << " ab" << "" << "x" << QStringList{"A16= ", "D16=a", "G16=b", "A20=x"};
    }
    void letterCells()
    {
        QFETCH(QString, surname);
        QFETCH(QString, firstName);
        QFETCH(QString, patronymic);
        QFETCH(QStringList, cells);
        ProgramFolder folder;
        DialogAnswers dialogs;
        ModalWatcher boxes;
        nds()->Edit1->setText(surname);
        nds()->Edit2->setText(firstName);
        nds()->Edit3->setText(patronymic);
        SpreadsheetLog &log = newLog();
        const QStringList calls = run(log, folder.target(QStringLiteral("t.xls")), dialogs);
        static const QRegularExpression cell(QStringLiteral("^Range\\(([A-Z]+(?:16|18|20))\\) := \"(.*)\"$"));
        QStringList written;
        for (const QString &line : calls) {
            const QRegularExpressionMatch m = cell.match(line);
            if (m.hasMatch())
                written << m.captured(1) + QLatin1Char('=') + m.captured(2);
        }
        QCOMPARE(written, cells);
        // The progress steps of the patronymic come whether or not its letters exist.
        QCOMPARE(calls.filter(QRegularExpression(QStringLiteral("^progress"))).join(QLatin1Char(',')),
                 QStringLiteral("progress 5,progress 10,progress 15,progress 20,progress 30,progress 40,progress 50,"
                                "progress 60,progress 70,progress 80,progress 90,progress 100,progress 0"));
    }

    void amountPositions_data()
    {
        QTest::addColumn<QString>("summa");
        QTest::addColumn<QString>("positions"); // the 12 characters that go out
        QTest::newRow("1180") << "1180" << "1180        ";
        QTest::newRow("14 characters") << "12345678901234" << "123456789012";
        QTest::newRow("empty") << "" << "            ";
    }
    void amountPositions()
    {
        QFETCH(QString, summa);
        QFETCH(QString, positions);
        ProgramFolder folder;
        DialogAnswers dialogs;
        ModalWatcher boxes;
        nds()->summa->setText(summa);
        nds()->summa1->setText(summa);
        SpreadsheetLog &log = newLog();
        const QStringList calls = run(log, folder.target(QStringLiteral("t.xls")), dialogs);
        const QStringList vat = groupLines(QStringLiteral("A1:DN79"), QStringLiteral("СМ"), positions, QStringLiteral("'"));
        const QStringList base = groupLines(QStringLiteral("A1:DN79"), QStringLiteral("СУ"), positions, QStringLiteral("'"));
        const QString all = calls.join(QLatin1Char('|'));
        // On "стр.2" after the progress step 10, and again on "стр.4".
        QVERIFY(all.contains(QStringLiteral("progress 10|") + vat.join(QLatin1Char('|'))
                             + QStringLiteral("|ActiveWorkBook.Worksheets.Item(стр.4).activate|progress 15|")
                             + vat.join(QLatin1Char('|')) + QLatin1Char('|') + base.join(QLatin1Char('|'))
                             + QStringLiteral("|progress 20")));
        QCOMPARE(calls.filter(QStringLiteral("\"СМ")).size(), 24);
    }

    // Empty positions of masked fields go out as an apostrophe and a blank;
    // the literals of the phone as they stand.
    void emptyMaskedPositions()
    {
        ProgramFolder folder;
        DialogAnswers dialogs;
        ModalWatcher boxes;
        nds()->inn->setText(QString());
        nds()->tele->setText(QStringLiteral("8(   )123-4567"));
        SpreadsheetLog &log = newLog();
        const QStringList calls = run(log, folder.target(QStringLiteral("t.xls")), dialogs);
        const QString r = QStringLiteral("A1:DN79");
        const QString all = calls.join(QLatin1Char('|'));
        QVERIFY(all.contains(groupLines(r, "И", QString(12, ' '), "'").join(QLatin1Char('|'))));
        QVERIFY(all.contains(groupLines(r, "ТЕЛ", "8(   )123-4567", "'").join(QLatin1Char('|'))));
        QVERIFY(calls.contains(QStringLiteral("Range(A1:DN79).Replace(What:=\"ТЕЛ2&\", Replacement:=\"'(\")")));
        QVERIFY(calls.contains(QStringLiteral("Range(A1:DN79).Replace(What:=\"ТЕЛ10&\", Replacement:=\"'-\")")));
        QVERIFY(calls.contains(QStringLiteral("Range(A1:DN79).Replace(What:=\"ТЕЛ3&\", Replacement:=\"' \")")));
    }

    void registrationPlace_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("written");
        QTest::newRow("Да") << 0 << true;
        QTest::newRow("Нет") << 1 << false;
        QTest::newRow("no choice") << -1 << false;
    }
    void registrationPlace()
    {
        QFETCH(int, choice);
        QFETCH(bool, written);
        ProgramFolder folder;
        DialogAnswers dialogs;
        ModalWatcher boxes;
        nds()->ComboBox1->setCurrentIndex(choice);
        SpreadsheetLog &log = newLog();
        const QStringList calls = run(log, folder.target(QStringLiteral("t.xls")), dialogs);
        const QStringList cells = calls.filter(QRegularExpression(QStringLiteral("^Range\\(D[FIL]14\\)")));
        if (written)
            QCOMPARE(cells, (QStringList{"Range(DF14) := \"'4\"", "Range(DI14) := \"'0\"", "Range(DL14) := \"'0\""}));
        else
            QCOMPARE(cells, QStringList());
    }

    void cancelled()
    {
        ProgramFolder folder;
        DialogAnswers dialogs;
        ModalWatcher boxes;
        SpreadsheetLog &log = newLog();
        const QStringList calls = run(log, QString(), dialogs);
        QCOMPARE(calls, QStringList());
        QCOMPARE(log.created, 0);
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(nds()->ProgressBar1->value(), 0);
    }

    void missingTemplate()
    {
        ProgramFolder folder;
        QFile::remove(folder.ndsTemplate());
        DialogAnswers dialogs;
        ModalWatcher boxes;
        SpreadsheetLog &log = newLog();
        const QString target = folder.target(QStringLiteral("t.xls"));
        const QStringList calls = run(log, target, dialogs);
        QCOMPARE(calls, QStringList());
        QCOMPARE(boxes.texts(), QStringList{"Не найден шаблон декларации: " + folder.ndsTemplate() + "."});
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(nds()->ProgressBar1->value(), 0);
    }

    // Choosing the template itself as the target must not destroy it.
    void targetIsTheTemplate()
    {
        ProgramFolder folder;
        DialogAnswers dialogs;
        ModalWatcher boxes;
        SpreadsheetLog &log = newLog();
        const QStringList calls = run(log, folder.ndsTemplate(), dialogs);
        QCOMPARE(calls, QStringList());
        QCOMPARE(boxes.texts(),
                 QStringList{"Не удалось скопировать шаблон декларации в файл " + folder.ndsTemplate() + "."});
        QCOMPARE(readFile(folder.ndsTemplate()), QByteArray("nds template"));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("failOn");
        QTest::addColumn<QString>("lastCall");
        QTest::addColumn<int>("progress");
        QTest::newRow("no application") << "create" << "create Excel.Application" << 5;
        QTest::newRow("open") << "Workbooks.Open" << "" << 5;
        QTest::newRow("sheet") << "ActiveWorkBook.Worksheets.Item(стр.4)" << "ActiveWorkBook.Worksheets.Item(стр.4).activate" << 10;
        QTest::newRow("letter cell") << "Range(D18)" << "Range(D18) := \"в\"" << 50;
        QTest::newRow("close") << "ActiveWorkbook.Close" << "ActiveWorkbook.Close(SaveChanges:=True)" << 90;
        QTest::newRow("quit") << "Application.Quit" << "Application.Quit" << 90;
    }
    // An automation error ends the run where it happens: the error box, the
    // progress bar where it was, the copy left in place, nothing quit.
    void failures()
    {
        QFETCH(QString, failOn);
        QFETCH(QString, lastCall);
        QFETCH(int, progress);
        ProgramFolder folder;
        DialogAnswers dialogs;
        ModalWatcher boxes;
        nds()->Edit2->setText(QStringLiteral("Ив"));
        SpreadsheetLog &log = newLog();
        log.failOn = failOn;
        log.failMessage = QStringLiteral("Automation failed");
        const QString target = folder.target(QStringLiteral("t.xls"));
        const QStringList calls = run(log, target, dialogs);
        QCOMPARE(boxes.texts(), QStringList{"Automation failed."});
        if (lastCall.isEmpty())
            lastCall = "Workbooks.Open(" + target + ")";
        QCOMPARE(calls.last(), lastCall);
        QCOMPARE(nds()->ProgressBar1->value(), progress);
        if (failOn != QLatin1String("Application.Quit"))
            QVERIFY(!calls.contains(QStringLiteral("Application.Quit")));
        QCOMPARE(readFile(target), QByteArray("nds template"));
        // The dialog keeps the chosen name for the next run.
        dialogs.answers << QString();
        click(nds(), "Button1");
        QCOMPARE(dialogs.requests.last().fileName, target);
        nds()->ProgressBar1->setValue(0);
    }

    // A failed replacement leaves its placeholder and the run goes on.
    void replacementFailureIsSwallowed()
    {
        ProgramFolder folder;
        DialogAnswers dialogs;
        ModalWatcher boxes;
        SpreadsheetLog &log = newLog();
        log.failOn = QStringLiteral("Range(A1:DN79).Replace(What:=\"КБК3&\"");
        const QStringList calls = run(log, folder.target(QStringLiteral("t.xls")), dialogs);
        QCOMPARE(calls.filter(QStringLiteral("What:=\"КБК3&\"")).size(), 1);
        QCOMPARE(calls.filter(QStringLiteral("What:=\"КБК4&\"")).size(), 1);
        QCOMPARE(calls.last(), QStringLiteral("progress 0"));
        QCOMPARE(boxes.texts(), QStringList{"Декларация успешно сформирована!"});
    }
};

QTEST_MAIN(TestTnds)
#include "test_tnds.moc"
