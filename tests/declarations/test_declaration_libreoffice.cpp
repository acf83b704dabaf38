// Both declarations filled by a real LibreOffice Calc from the templates that
// ship beside the program, and read back.
#include "CalcTestSupport.h"
#include "FileDialogs.h"
#include "DeclarationSamples.h"
#include "GuiTest.h"
#include "LibreOfficeCalc.h"
#include "MaskEdit.h"
#include "Paths.h"
#include "Startup.h"
#include "TForm1.h"
#include "Tnds.h"
#include "Tnull1.h"

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
            QCOMPARE(calc->findCells(QStringLiteral("A1:DN79"), QStringLiteral("&")), QStringList());
        }
        calc->activateSheet(QStringLiteral("стр.1"));
        QCOMPARE(calc->cellString(QStringLiteral("A16")), QStringLiteral("С"));
        QCOMPARE(calc->cellString(QStringLiteral("AK20")), QStringLiteral("Ч"));
        QCOMPARE(calc->cellKind(QStringLiteral("DF14")), LibreOfficeCalc::CellKind::Text);
        QCOMPARE(calc->cellString(QStringLiteral("DF14")), QStringLiteral("4"));
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
        QCOMPARE(calc->cellKind(QStringLiteral("O14")), LibreOfficeCalc::CellKind::Value);
        QCOMPARE(calc->cellValue(QStringLiteral("O14")), 1.0);
        QCOMPARE(calc->cellString(QStringLiteral("W17")), QStringLiteral("ИФНС № 1 \"Центральная\""));
        QCOMPARE(calc->findCells(QStringLiteral("A1:DN79"), QStringLiteral("&")), QStringList());
    }
};

QTEST_MAIN(TestDeclarationLibreOffice)
#include "test_declaration_libreoffice.moc"
