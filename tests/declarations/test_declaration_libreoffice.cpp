// Both declarations filled by a real LibreOffice Calc from the templates that
// ship beside the program, and read back.
#include "calc/Paths.h"
#include "CalcTestSupport.h"
#include "DeclarationSamples.h"
#include "GuiTest.h"
#include "office/LibreOfficeTesting.h"
#include "office/Spreadsheet.h"
#include "ui/declarations/MaskEdit.h"
#include "ui/declarations/Tnds.h"
#include "ui/declarations/Tnull1.h"
#include "ui/FileDialogs.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

using orvel::LibreOfficeCalc;
using namespace orveltest;

class TestDeclarationLibreOffice : public QObject {
    Q_OBJECT

    orvel::OrvelWindows w;
    QTemporaryDir dir;
    QString answer;

    static std::unique_ptr<LibreOfficeCalc> openSaved(const QString &path)
    {
        std::unique_ptr<LibreOfficeCalc> calc = LibreOfficeCalc::start();
        calc->workbooksOpen(path);
        return calc;
    }

    // One run of the window's button into `name`, its replacements made in
    // one pass or by one office search each; the counts of both kinds.
    orvel::ReplaceCounts runWith(QWidget *window, const QString &name, bool onePass)
    {
        KeptOffice office(onePass);
        ModalWatcher boxes;
        answer = dir.filePath(name);
        QFile::remove(answer);
        click(window, "Button1");
        if (boxes.texts() == QStringList{QStringLiteral("Декларация успешно сформирована!")} && office.last)
            return replaceCounts(*office.last);
        return {-1, -1};
    }

private slots:
    void initTestCase()
    {
        const QString missing = orvel::libreOfficeUnavailableReason();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        if (!QFileInfo::exists(orvel::programFolder() + QStringLiteral("/shablon/nds.xls")))
            QSKIP("the templates are not beside the program");
        QVERIFY(dir.isValid());
        w = orvel::createOrvelWindows();
        orvel::setFileDialogHook([this](const orvel::FileDialogRequest &) { return answer; });
    }
    void cleanupTestCase()
    {
        orvel::setFileDialogHook({});
        orvel::destroyOrvelWindows(w);
        QCOMPARE(childProcesses(), QList<int>());
    }

    // The VAT declaration: every placeholder of the filled sheets replaced,
    // the letter cells written, the digits written with an apostrophe kept
    // as texts.
    void vat()
    {
        LocaleScope locale(commaLocale());
        ModalWatcher boxes;
        w.form1->lastEnteredAmount = 118;
        w.form1->lastTaxResult = 21.24;
        Tnds *f = w.nds;
        f->hide();
        f->show();
        fillVatWindow(f);
        answer = dir.filePath(QStringLiteral("НДС.xls"));
        click(f, "Button1");
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Декларация успешно сформирована!")});
        f->hide();

        auto calc = openSaved(answer);
        for (const char *sheet : {"стр.1", "стр.2", "стр.4"}) {
            calc->activateSheet(QString::fromUtf8(sheet));
            QCOMPARE(findCells(*calc, QStringLiteral("A1:DN79"), QStringLiteral("&")), QStringList());
        }
        calc->activateSheet(QStringLiteral("стр.1"));
        QCOMPARE(cellString(*calc, QStringLiteral("A16")), QStringLiteral("С"));
        QCOMPARE(cellString(*calc, QStringLiteral("AK20")), QStringLiteral("Ч"));
        QCOMPARE(cellKind(*calc, QStringLiteral("DF14")), orvel::CellKind::Text);
        QCOMPARE(cellString(*calc, QStringLiteral("DF14")), QStringLiteral("4"));
    }

    // The simplified declaration: texts, numbers and blanks in its cells.
    void simplified()
    {
        ModalWatcher boxes;
        Tnull1 *f = w.null1;
        f->show();
        f->RadioButton1->setChecked(true);
        f->Edit1->setText(QStringLiteral("ИФНС № 1 \"Центральная\""));
        answer = dir.filePath(QStringLiteral("упрощенная.xls"));
        click(f, "Button1");
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("Декларация успешно сформирована!")});
        f->hide();
        auto calc = openSaved(answer);
        QCOMPARE(cellKind(*calc, QStringLiteral("O14")), orvel::CellKind::Value);
        QCOMPARE(cellValue(*calc, QStringLiteral("O14")), 1.0);
        QCOMPARE(cellString(*calc, QStringLiteral("W17")), QStringLiteral("ИФНС № 1 \"Центральная\""));
        QCOMPARE(findCells(*calc, QStringLiteral("A1:DN79"), QStringLiteral("&")), QStringList());
    }

    // Both templates filled both ways, with sample data and with every field
    // empty: the replacements made in one pass give every cell the content
    // and kind that one office search per placeholder gives it.
    void onePassAsEachCall_data()
    {
        QTest::addColumn<QString>("declaration");
        QTest::addColumn<bool>("sample");
        QTest::newRow("VAT, sample data") << "nds" << true;
        QTest::newRow("VAT, empty fields") << "nds" << false;
        QTest::newRow("simplified, sample data") << "upr" << true;
        QTest::newRow("simplified, empty fields") << "upr" << false;
    }
    void onePassAsEachCall()
    {
        QFETCH(QString, declaration);
        QFETCH(bool, sample);
        LocaleScope locale(commaLocale());
        const bool vat = declaration == QLatin1String("nds");
        QWidget *window = vat ? static_cast<QWidget *>(w.nds) : w.null1;
        window->show();
        if (vat) {
            w.form1->lastEnteredAmount = sample ? 1180 : 0;
            w.form1->lastTaxResult = sample ? 180 : 0;
            w.nds->hide();
            w.nds->show();
            sample ? fillVatWindow(w.nds) : emptyVatWindow(w.nds);
        } else {
            sample ? fillSimplifiedWindow(w.null1) : emptySimplifiedWindow(w.null1);
        }
        const int placeholders = vat ? 112 : 46;
        const orvel::ReplaceCounts each = runWith(window, declaration + QStringLiteral("-each.xls"), false);
        QCOMPARE(each.eachCall, placeholders);
        const orvel::ReplaceCounts one = runWith(window, declaration + QStringLiteral("-one.xls"), true);
        QCOMPARE(one.onePass, placeholders);
        QCOMPARE(one.eachCall, 0);
        window->hide();

        auto a = openSaved(dir.filePath(declaration + QStringLiteral("-each.xls")));
        auto b = openSaved(dir.filePath(declaration + QStringLiteral("-one.xls")));
        const QStringList sheets = vat ? QStringList{QStringLiteral("стр.1"), QStringLiteral("стр.2"), QStringLiteral("стр.4")}
                                       : QStringList{QString()};
        for (const QString &sheet : sheets) {
            if (!sheet.isEmpty()) {
                a->activateSheet(sheet);
                b->activateSheet(sheet);
            }
            // The whole page and a margin beyond the replaced range.
            const QString area = QStringLiteral("A1:FZ120");
            const QVector<orvel::CellContent> expected = cellContents(*a, area);
            const QVector<orvel::CellContent> actual = cellContents(*b, area);
            QCOMPARE(actual.size(), expected.size());
            int texts = 0;
            for (int i = 0; i < expected.size(); ++i) {
                texts += expected[i].kind == orvel::CellKind::Text;
                if (!(actual[i] == expected[i]))
                    QFAIL(qPrintable(QStringLiteral("%1 cell %2 of row %3: \"%4\" (%5) instead of \"%6\" (%7)")
                                         .arg(sheet)
                                         .arg(i % 182 + 1)
                                         .arg(i / 182 + 1)
                                         .arg(actual[i].formula)
                                         .arg(int(actual[i].kind))
                                         .arg(expected[i].formula)
                                         .arg(int(expected[i].kind))));
            }
            QVERIFY(texts > 20); // the page was read, not an empty sheet
        }
    }
};

QTEST_MAIN(TestDeclarationLibreOffice)
#include "test_declaration_libreoffice.moc"
