// The payment schedule window as a person uses it: opened from the loan tab,
// early repayments typed in, the table, totals, summary and chart read back,
// saving and printing answered by the dialog hooks.
#include "AppFixture.h"
#include "FaultTools.h"
#include "GuiTest.h"
#include "ui/FileDialogs.h"
#include "ui/main/TForm1.h"
#include "ui/PrintDialog.h"
#include "ui/schedule/ScheduleChart.h"
#include "ui/schedule/ScheduleModel.h"
#include "ui/schedule/TScheduleForm.h"

#include <QAction>
#include <QBarSet>
#include <QCategoryAxis>
#include <QLineSeries>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStackedBarSeries>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QToolTip>

#include <sys/stat.h>

using namespace orveltest;

class TestScheduleWindow : public QObject {
    Q_OBJECT

    AppFixture app;
    QTemporaryDir dir;

    TScheduleForm *form() { return w()->findChild<TScheduleForm *>(QStringLiteral("ScheduleForm")); }
    TForm1 *w() { return app.w.form1; }
    QAbstractItemModel *table() { return child<QTableView>(form(), "ScheduleTable")->model(); }
    QAbstractItemModel *totals() { return child<QTableView>(form(), "ScheduleTotals")->model(); }
    QString summary() { return child<QLabel>(form(), "ScheduleSummary")->text(); }
    qlonglong figure(QAbstractItemModel *m, int row, int column) { return m->index(row, column).data(Qt::UserRole).toLongLong(); }
    QString shown(QAbstractItemModel *m, int row, int column) { return m->index(row, column).data().toString(); }

    // Opens (or refreshes) the window from the tab; returns the boxes shown.
    QStringList open(const QString &amount, const QString &rate, const QString &term, bool annuity = true)
    {
        child<QLineEdit>(w(), "Edit7")->setText(amount);
        child<QLineEdit>(w(), "Edit8")->setText(rate);
        child<QLineEdit>(w(), "Edit9")->setText(term);
        child<QRadioButton>(w(), annuity ? "RadioButton7" : "RadioButton8")->setChecked(true);
        ModalWatcher boxes;
        click(w(), "ScheduleButton");
        return boxes.texts();
    }

    template <typename T = QWidget>
    T *early(const char *what, int n)
    {
        return child<T>(form(), QStringLiteral("Early%1%2").arg(QLatin1String(what)).arg(n).toLatin1().constData());
    }
    void removeAllEarly()
    {
        while (form()->earlyCount() > 0)
            QTest::mouseClick(early<QToolButton>("Remove", 1), Qt::LeftButton);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QLocale::setDefault(commaLocale());
        QVERIFY(app.start());
    }
    void cleanupTestCase()
    {
        orvel::setFileDialogHook({});
        orvel::setPrintDialogHook({});
        app.stop();
    }
    void cleanup()
    {
        if (form())
            removeAllEarly();
    }

    // The button sits on the loan tab beside "Расчет" and leaves the tab's
    // own labels alone.
    void openedFromTheTab()
    {
        auto *button = child<QPushButton>(w(), "ScheduleButton");
        QCOMPARE(button->text(), QStringLiteral("График платежей…"));
        QCOMPARE(button->parentWidget(), w()->TabSheet3);
        QVERIFY(!form());

        child<QLabel>(w(), "Label15")->setText(QStringLiteral("before"));
        QCOMPARE(open(QStringLiteral("100000"), QStringLiteral("12"), QStringLiteral("12")), QStringList());
        QVERIFY(form());
        QVERIFY(form()->isVisible());
        QVERIFY(form()->isWindow());
        QCOMPARE(form()->windowTitle(), QStringLiteral("График платежей"));
        QCOMPARE(child<QLabel>(w(), "Label15")->text(), QStringLiteral("before"));
        QCOMPARE(child<QLabel>(form(), "ScheduleInputs")->text(),
                 QStringLiteral("Сумма кредита: 100\u00a0000,00    Процентная ставка: 12 %    Срок кредита: 12 мес.    "
                                "Платежи: аннуитетные"));

        QAbstractItemModel *m = table();
        QCOMPARE(m->rowCount(), 12);
        QCOMPARE(m->columnCount(), 7);
        const QStringList titles{"№", "Остаток долга", "Проценты", "Основной долг", "Платеж", "Досрочно", "Остаток после"};
        for (int c = 0; c < 7; ++c)
            QCOMPARE(m->headerData(c, Qt::Horizontal).toString(), titles[c]);
        const QStringList first{"1", "100\u00a0000,00", "1\u00a0000,00", "7\u00a0884,88", "8\u00a0884,88", "", "92\u00a0115,12"};
        for (int c = 0; c < 7; ++c)
            QCOMPARE(shown(m, 0, c), first[c]);
        QCOMPARE(figure(m, 11, orvel::ColPayment), 888485); // the last month pays what is left
        QCOMPARE(shown(totals(), 0, 0), QStringLiteral("Итого"));
        QCOMPARE(shown(totals(), 0, orvel::ColDebtBefore), QString());
        QCOMPARE(figure(totals(), 0, orvel::ColInterest), 661853);
        QCOMPARE(figure(totals(), 0, orvel::ColPrincipal), 10000000);
        QCOMPARE(shown(totals(), 0, orvel::ColPayment), QStringLiteral("106\u00a0618,53"));
        QCOMPARE(summary(), QStringLiteral("Срок: 12 мес.\nВыплачено всего: 106\u00a0618,53\nПереплата: 6\u00a0618,53\n"
                                           "Экономия от досрочных погашений: 0,00 и 0 мес."));
        // The totals row stays under the columns it sums.
        auto *view = child<QTableView>(form(), "ScheduleTable");
        for (int c = 0; c < 7; ++c) {
            const int width = view->columnWidth(c); // lays the table out first, as painting does
            QTRY_COMPARE(child<QTableView>(form(), "ScheduleTotals")->columnWidth(c), width);
        }
    }

    // Fields the schedule refuses: the usual error box, and the window keeps
    // the loan it showed. Rate 0 is an instalment plan here, though the tab's
    // own calculation refuses it.
    void badFields_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("term");
        QTest::addColumn<QString>("box");
        QTest::newRow("amount text") << "abc" << "x" << "y" << "'abc' is not a valid floating point value.";
        QTest::newRow("rate text") << "1000" << "12.5" << "12" << "'12.5' is not a valid floating point value.";
        QTest::newRow("term not whole") << "1000" << "12" << "12,5" << "Срок кредита должен быть целым числом месяцев от 1 до 1200.";
        QTest::newRow("term too long") << "1000" << "12" << "1201" << "Срок кредита должен быть целым числом месяцев от 1 до 1200.";
        QTest::newRow("amount 0") << "0" << "12" << "12" << "Сумма кредита должна быть больше 0 и не больше 10 трлн.";
        QTest::newRow("rate negative") << "1000" << "-1" << "12" << "Процентная ставка должна быть не меньше 0.";
    }
    void badFields()
    {
        QFETCH(QString, amount);
        QFETCH(QString, rate);
        QFETCH(QString, term);
        QFETCH(QString, box);
        QCOMPARE(open(QStringLiteral("100000"), QStringLiteral("12"), QStringLiteral("12")), QStringList());
        QCOMPARE(open(amount, rate, term), QStringList{box});
        QCOMPARE(table()->rowCount(), 12);
        QCOMPARE(figure(table(), 0, orvel::ColInterest), 100000);
    }

    void instalmentAndDifferentiated()
    {
        QCOMPARE(open(QStringLiteral("1000"), QStringLiteral("0"), QStringLiteral("3")), QStringList());
        QCOMPARE(figure(table(), 0, orvel::ColPayment), 33333);
        QCOMPARE(figure(table(), 2, orvel::ColPayment), 33334);
        QCOMPARE(open(QStringLiteral("120000"), QStringLiteral("12"), QStringLiteral("12"), false), QStringList());
        QVERIFY(child<QLabel>(form(), "ScheduleInputs")->text().endsWith(QStringLiteral("Платежи: дифференцированные")));
        QCOMPARE(figure(table(), 0, orvel::ColInterest), 118356);
        QCOMPARE(figure(table(), 5, orvel::ColPrincipal), 1000000);
        child<QRadioButton>(w(), "RadioButton7")->setChecked(true);
    }

    // Typed, not set: every key updates the table, totals, summary and chart.
    void earlyRepaymentTyped()
    {
        QCOMPARE(open(QStringLiteral("100000"), QStringLiteral("12"), QStringLiteral("12")), QStringList());
        QVERIFY(child<QLabel>(form(), "EarlyHint")->isVisible());
        QTest::mouseClick(child<QPushButton>(form(), "EarlyAdd"), Qt::LeftButton);
        QCOMPARE(form()->earlyCount(), 1);
        QVERIFY(!child<QLabel>(form(), "EarlyHint")->isVisible());
        QCOMPARE(early<QSpinBox>("Month", 1)->value(), 11); // after the first year, before the last month
        QCOMPARE(early<QComboBox>("Mode", 1)->currentText(), QStringLiteral("Сократить срок"));
        QTRY_COMPARE(early<QLabel>("State", 1)->text(), QStringLiteral("Введите сумму"));
        QCOMPARE(table()->rowCount(), 12);

        early<QSpinBox>("Month", 1)->setValue(3);
        QLineEdit *amount = early<QLineEdit>("Amount", 1);
        QVERIFY(amount->hasFocus() || !form()->isActiveWindow());
        QTest::keyClicks(amount, QStringLiteral("2"));
        QTRY_COMPARE(figure(table(), 2, orvel::ColEarly), 200); // 2,00 already
        QTest::keyClicks(amount, QStringLiteral("0000"));
        QTRY_COMPARE(table()->rowCount(), 10);
        QCOMPARE(figure(table(), 2, orvel::ColEarly), 2000000);
        QCOMPARE(shown(table(), 2, orvel::ColEarly), QStringLiteral("20\u00a0000,00"));
        QVERIFY(table()->index(2, 0).data(Qt::BackgroundRole).isValid());
        QCOMPARE(figure(table(), 9, orvel::ColPayment), 494887);
        QCOMPARE(figure(totals(), 0, orvel::ColEarly), 2000000);
        QVERIFY(summary().contains(QStringLiteral("Срок: 10 мес.")));
        QVERIFY(summary().contains(QStringLiteral("Экономия от досрочных погашений: 1\u00a0705,74 и 2 мес.")));
        QCOMPARE(form()->chart()->bars()->barSets()[0]->count(), 10);
        QVERIFY(early<QLabel>("State", 1)->isHidden());

        // The other mode: the term stays, the payment goes down.
        early<QComboBox>("Mode", 1)->setCurrentIndex(1);
        QTRY_COMPARE(table()->rowCount(), 12);
        QCOMPARE(figure(table(), 3, orvel::ColPayment), 655007);

        // A text being typed that is not a number yet leaves the repayment
        // out, and its row says why.
        QTest::keyClicks(amount, QStringLiteral("x"));
        QTRY_COMPARE(early<QLabel>("State", 1)->text(), QStringLiteral("'20000x' is not a valid floating point value"));
        QCOMPARE(figure(table(), 2, orvel::ColEarly), 0);
        QTest::keyClick(amount, Qt::Key_Backspace);
        QTRY_COMPARE(figure(table(), 2, orvel::ColEarly), 2000000);

        // A month past the term: the schedule's own message.
        early<QSpinBox>("Month", 1)->setValue(13);
        QTRY_COMPARE(early<QLabel>("State", 1)->text(), QStringLiteral("Досрочное погашение 1: месяц должен быть от 1 до 12"));
        QCOMPARE(figure(totals(), 0, orvel::ColEarly), 0);
    }

    // Repayments after the loan is gone are shown as not made; one bigger
    // than the debt repays the debt.
    void ignoredAndCapped()
    {
        QCOMPARE(open(QStringLiteral("100000"), QStringLiteral("12"), QStringLiteral("12")), QStringList());
        QTest::mouseClick(child<QPushButton>(form(), "EarlyAdd"), Qt::LeftButton);
        early<QSpinBox>("Month", 1)->setValue(5);
        early<QLineEdit>("Amount", 1)->setText(QStringLiteral("1000000"));
        QTest::mouseClick(child<QPushButton>(form(), "EarlyAdd"), Qt::LeftButton);
        QCOMPARE(early<QSpinBox>("Month", 2)->value(), 11); // a year later, cut to the term's last but one
        early<QSpinBox>("Month", 2)->setValue(8);
        early<QLineEdit>("Amount", 2)->setText(QStringLiteral("5000"));
        QTRY_COMPARE(table()->rowCount(), 5);
        QCOMPARE(early<QLabel>("State", 1)->text(), QStringLiteral("учтено 59\u00a0779,18: весь остаток долга"));
        QCOMPARE(early<QLabel>("State", 2)->text(), QStringLiteral("не учтено: кредит уже погашен"));
        QVERIFY(summary().endsWith(
            QStringLiteral("Досрочное погашение 2 (месяц 8) не учтено: кредит к этому времени погашен")));

        // Removing the first renumbers the second, which now counts.
        QTest::mouseClick(early<QToolButton>("Remove", 1), Qt::LeftButton);
        QCOMPARE(form()->earlyCount(), 1);
        QCOMPARE(early<QSpinBox>("Month", 1)->value(), 8);
        QTRY_COMPARE(figure(table(), 7, orvel::ColEarly), 500000);
        QVERIFY(!form()->findChild<QWidget *>(QStringLiteral("EarlyMonth2")));
    }

    // 201 rows, the first of which repays the loan: the rows scroll, the
    // summary counts the other 200 in one line, and the window's minimum size
    // stays as with no rows, within a 900-pixel screen.
    void manyRowsKeepTheWindowOnScreen()
    {
        QCOMPARE(open(QStringLiteral("3000000"), QStringLiteral("9"), QStringLiteral("1200")), QStringList());
        QTest::qWait(0);
        const QSize empty = form()->minimumSizeHint();
        QVERIFY2(empty.height() <= 900, qPrintable(QString::number(empty.height())));
        for (int n = 1; n <= 201; ++n)
            QTest::mouseClick(child<QPushButton>(form(), "EarlyAdd"), Qt::LeftButton);
        QCOMPARE(form()->earlyCount(), 201);
        early<QSpinBox>("Month", 1)->setValue(1);
        early<QLineEdit>("Amount", 1)->setText(QStringLiteral("3000000"));
        for (int n = 2; n <= 201; ++n) {
            early<QSpinBox>("Month", n)->setValue(n);
            early<QLineEdit>("Amount", n)->setText(QStringLiteral("1000"));
        }
        QTRY_COMPARE(table()->rowCount(), 1);
        QVERIFY2(summary().endsWith(QStringLiteral("Не учтены: 200 досрочных погашений после погашения кредита")),
                 qPrintable(summary()));
        QCOMPARE(summary().count(QLatin1Char('\n')), 4);
        QCOMPARE(early<QLabel>("State", 201)->text(), QStringLiteral("не учтено: кредит уже погашен"));
        QCOMPARE(form()->minimumSizeHint(), empty);

        // At its smallest the window still shows two rows with their notes.
        form()->resize(empty);
        auto *rows = child<QScrollArea>(form(), "EarlyRows");
        QTRY_COMPARE(form()->size(), empty);
        rows->verticalScrollBar()->setValue(0); // the last row added was scrolled to
        const QRect note2(early<QLabel>("State", 2)->mapTo(rows->viewport(), QPoint(0, 0)), early<QLabel>("State", 2)->size());
        // In view from top to bottom (a style may make the notes' column run
        // past the right edge; the rows then scroll sideways).
        QVERIFY2(note2.top() >= 0 && note2.bottom() < rows->viewport()->height(),
                 qPrintable(QStringLiteral("%1 %2").arg(note2.bottom()).arg(rows->viewport()->height())));
    }

    // A long paste into an amount: the row's note quotes 40 characters of
    // it, the editor keeps its width and the ✕ stays in view. Characters
    // that turn text round never reach the note.
    void pastedAmount_data()
    {
        QTest::addColumn<QString>("paste");
        QTest::addColumn<QString>("note");
        const QString tail = QStringLiteral("' is not a valid floating point value");
        QTest::newRow("10 000 characters") << QString(10000, QLatin1Char('7')) + "x"
                                           << "'" + QString(40, QLatin1Char('7')) + "…" + tail;
        QTest::newRow("right-to-left override") << QStringLiteral("12\u202E34x") << "'1234x" + tail;
    }
    void pastedAmount()
    {
        QFETCH(QString, paste);
        QFETCH(QString, note);
        QCOMPARE(open(QStringLiteral("100000"), QStringLiteral("12"), QStringLiteral("12")), QStringList());
        QTest::mouseClick(child<QPushButton>(form(), "EarlyAdd"), Qt::LeftButton);
        auto *box = child<QWidget>(form(), "EarlyBox");
        QTRY_VERIFY(early<QLabel>("State", 1)->isVisible());
        const int width = box->width();
        const int minimum = form()->minimumSizeHint().width();
        early<QLineEdit>("Amount", 1)->insert(paste);
        QTRY_COMPARE(early<QLabel>("State", 1)->text(), note);
        QTest::qWait(0);
        QCOMPARE(box->width(), width);
        QCOMPARE(form()->minimumSizeHint().width(), minimum);
        auto *remove = early<QToolButton>("Remove", 1);
        QVERIFY(box->rect().contains(QRect(remove->mapTo(box, QPoint(0, 0)), remove->size())));
    }

    // Closing hides the window; opening it again for another loan keeps the
    // repayments typed and applies them to the new loan.
    void reopenKeepsRepayments()
    {
        QCOMPARE(open(QStringLiteral("100000"), QStringLiteral("12"), QStringLiteral("12")), QStringList());
        TScheduleForm *first = form();
        QTest::mouseClick(child<QPushButton>(form(), "EarlyAdd"), Qt::LeftButton);
        early<QSpinBox>("Month", 1)->setValue(3);
        early<QLineEdit>("Amount", 1)->setText(QStringLiteral("20000"));
        QTest::mouseClick(child<QPushButton>(form(), "ScheduleClose"), Qt::LeftButton);
        QVERIFY(!form()->isVisible());
        QCOMPARE(open(QStringLiteral("200000"), QStringLiteral("12"), QStringLiteral("24")), QStringList());
        QCOMPARE(form(), first);
        QVERIFY(form()->isVisible());
        QCOMPARE(early<QLineEdit>("Amount", 1)->text(), QStringLiteral("20000"));
        QCOMPARE(figure(table(), 2, orvel::ColEarly), 2000000);
        QCOMPARE(figure(table(), 0, orvel::ColDebtBefore), 20000000);
    }

    void chartFollowsTheSchedule()
    {
        QCOMPARE(open(QStringLiteral("3000000"), QStringLiteral("9"), QStringLiteral("360")), QStringList());
        orvel::ScheduleChart *chart = form()->chart();
        QCOMPARE(chart->bars()->barSets().size(), 2);
        QCOMPARE(chart->bars()->barSets()[0]->label(), QStringLiteral("Основной долг"));
        QCOMPARE(chart->bars()->barSets()[1]->at(0), 22500.0);
        QCOMPARE(chart->bars()->barSets()[0]->count(), 360);
        QCOMPARE(chart->debtLine()->count(), 360);
        // A label every three years, and the first month.
        QCOMPARE(orvel::ScheduleChart::labelStep(360), 36);
        QCOMPARE(chart->monthAxis()->categoriesLabels().size(), 11);
        QCOMPARE(chart->monthAxis()->categoriesLabels().first(), QStringLiteral("1"));
        QCOMPARE(chart->monthAxis()->categoriesLabels().last(), QStringLiteral("360"));

        // Hovering a column shows the month's figures.
        emit chart->bars()->hovered(true, 11, chart->bars()->barSets()[0]);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), chart->monthTip(11));
        QVERIFY(QToolTip::text().startsWith(QStringLiteral("Месяц 12\nПлатеж: 24\u00a0138,68\n")));
        emit chart->bars()->hovered(false, 11, chart->bars()->barSets()[0]);
        QTRY_VERIFY(!QToolTip::isVisible());

        QTest::mouseClick(child<QPushButton>(form(), "EarlyAdd"), Qt::LeftButton);
        early<QLineEdit>("Amount", 1)->setText(QStringLiteral("1000000"));
        QTRY_VERIFY(table()->rowCount() < 360);
        QCOMPARE(chart->bars()->barSets()[0]->count(), table()->rowCount());
        QCOMPARE(chart->debtLine()->at(11).y(), figure(table(), 11, orvel::ColDebtAfter) / 100.0);
    }

    // Each format through its menu entry and the save dialog.
    void saved_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("xlsx") << "ScheduleSaveXlsx" << "xlsx" << QByteArray("PK\x03\x04");
        QTest::newRow("csv") << "ScheduleSaveCsv" << "csv" << QByteArray("\xEF\xBB\xBF№;");
        QTest::newRow("pdf") << "ScheduleSavePdf" << "pdf" << QByteArray("%PDF-");
    }
    void saved()
    {
        QFETCH(QString, entry);
        QFETCH(QString, suffix);
        QFETCH(QByteArray, start);
        QCOMPARE(open(QStringLiteral("100000"), QStringLiteral("12"), QStringLiteral("12")), QStringList());
        const QString path = dir.filePath(QStringLiteral("план.") + suffix);
        orvel::FileDialogRequest asked;
        orvel::setFileDialogHook([&](const orvel::FileDialogRequest &r) {
            asked = r;
            return path;
        });
        ModalWatcher boxes;
        form()->findChild<QAction *>(entry)->trigger();
        orvel::setFileDialogHook({});
        QCOMPARE(boxes.texts(), QStringList());
        QCOMPARE(asked.name, QStringLiteral("ScheduleSaveDialog"));
        QCOMPARE(asked.defaultSuffix, suffix);
        QCOMPARE(asked.fileName, QStringLiteral("График платежей.") + suffix);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().startsWith(start));
        QCOMPARE(child<QLabel>(form(), "ScheduleStatus")->text(), QStringLiteral("Сохранено: ") + path);
    }

    // A cancelled dialog writes nothing; a refused write shows the reason in
    // the error box and leaves the old file and no temporary one.
    void saveCancelledOrRefused()
    {
        QCOMPARE(open(QStringLiteral("100000"), QStringLiteral("12"), QStringLiteral("12")), QStringList());
        orvel::setFileDialogHook([](const orvel::FileDialogRequest &) { return QString(); });
        const QStringList before = QDir(dir.path()).entryList(QDir::Files);
        form()->ScheduleSaveCsv->trigger();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);

        const QString folder = dir.filePath(QStringLiteral("только чтение"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/график.pdf");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old");
        }
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0500), 0);
        orvel::setFileDialogHook([&](const orvel::FileDialogRequest &) { return path; });
        QStringList texts;
        {
            const PermissionsEnforced asAnyUser;
            ModalWatcher boxes;
            form()->ScheduleSavePdf->trigger();
            texts = boxes.texts();
        }
        ::chmod(QFile::encodeName(folder).constData(), 0700);
        orvel::setFileDialogHook({});
        QCOMPARE(texts, QStringList{QStringLiteral("Не удалось сохранить файл \"%1\": нет прав на запись.").arg(path)});
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"график.pdf"});
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("old"));
    }

    // "Печать…" paints the same document on the printer the dialog chose
    // (here a PDF file); a cancelled dialog prints nothing.
    void printed()
    {
        QCOMPARE(open(QStringLiteral("100000"), QStringLiteral("12"), QStringLiteral("12")), QStringList());
        const QString path = dir.filePath(QStringLiteral("печать.pdf"));
        orvel::setPrintDialogHook([](QPrinter &) { return false; });
        click(form(), "SchedulePrint");
        QVERIFY(!QFile::exists(path));
        orvel::setPrintDialogHook([&](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            return true;
        });
        ModalWatcher boxes;
        click(form(), "SchedulePrint");
        orvel::setPrintDialogHook({});
        QCOMPARE(boxes.texts(), QStringList());
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QProcess p;
        p.start(pdftotext, {path, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(30000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput()).replace(QChar(0xa0), QLatin1Char(' '));
        QVERIFY(text.contains(QStringLiteral("График платежей по кредиту")));
        QVERIFY(text.contains(QStringLiteral("106 618,53")));
    }

    // For a person to look at: ORVEL_SCREENSHOT_DIR=<folder> (best on a real
    // X server, QT_QPA_PLATFORM=xcb) saves the window with a 240-month loan
    // and two early repayments, and the loan tab.
    void screenshot()
    {
        const QString folder = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
        if (folder.isEmpty())
            QSKIP("ORVEL_SCREENSHOT_DIR is not set");
        QCOMPARE(open(QStringLiteral("2500000"), QStringLiteral("10,5"), QStringLiteral("240")), QStringList());
        QTest::mouseClick(child<QPushButton>(form(), "EarlyAdd"), Qt::LeftButton);
        early<QSpinBox>("Month", 1)->setValue(24);
        QTest::keyClicks(early<QLineEdit>("Amount", 1), QStringLiteral("300000"));
        QTest::mouseClick(child<QPushButton>(form(), "EarlyAdd"), Qt::LeftButton);
        early<QSpinBox>("Month", 2)->setValue(60);
        QTest::keyClicks(early<QLineEdit>("Amount", 2), QStringLiteral("500000"));
        early<QComboBox>("Mode", 2)->setCurrentIndex(1);
        child<QTableView>(form(), "ScheduleTable")->scrollTo(table()->index(18, 0), QAbstractItemView::PositionAtTop);
        QVERIFY(QTest::qWaitForWindowExposed(form()));
        QTest::qWait(300);
        QVERIFY(form()->grab().save(folder + QStringLiteral("/14-schedule-window.png")));
        child<QTabWidget>(w(), "PageControl1")->setCurrentIndex(2);
        QVERIFY(w()->grab().save(folder + QStringLiteral("/14-loan-tab.png")));
        QCOMPARE(open(QStringLiteral("3000000"), QStringLiteral("9"), QStringLiteral("360")), QStringList());
        QTest::qWait(300);
        QVERIFY(form()->grab().save(folder + QStringLiteral("/14-schedule-360.png")));
    }
};

QTEST_MAIN(TestScheduleWindow)
#include "test_schedule_window.moc"
