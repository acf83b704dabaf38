// The editor of rows the schedule, penalties and deposit windows share: one
// report per turn of the event loop, names that follow the places, notes.
#include "ui/RowsEditor.h"

#include "GuiTest.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using orvel::RowsEditor;
using orveltest::child;

namespace {
std::vector<RowsEditor::Column> columns()
{
    const auto line = [](QWidget *parent) { return new QLineEdit(parent); };
    return {{QStringLiteral("Date"), QStringLiteral("Дата"), line, 0},
            {QStringLiteral("Amount"), QStringLiteral("Сумма"), line, 1}};
}
} // namespace

class TestRowsEditor : public QObject {
    Q_OBJECT

private slots:
    void burstOfEditsIsOneChange()
    {
        RowsEditor editor(QStringLiteral("Debt"), columns(), QStringLiteral("Добавить"), QStringLiteral("Нет строк"));
        QSignalSpy changed(&editor, &RowsEditor::changed);
        editor.addRow();
        editor.addRow();
        editor.fieldAs<QLineEdit>(1, 1)->setText(QStringLiteral("100"));
        QTest::keyClicks(editor.fieldAs<QLineEdit>(0, 1), QStringLiteral("12345"));
        QCOMPARE(changed.count(), 0); // nothing before the loop turns
        std::set<int> seen;
        connect(&editor, &RowsEditor::changed, this, [&] { seen = editor.rowsChanged(); });
        QTRY_COMPARE(changed.count(), 1);
        QCOMPARE(seen, (std::set<int>{0, 1}));
        QVERIFY(editor.rowsChanged().empty());
    }

    void namesFollowPlacesAfterRemoval()
    {
        RowsEditor editor(QStringLiteral("Debt"), columns(), QStringLiteral("Добавить"), QStringLiteral("Нет строк"));
        for (const char *amount : {"1", "2", "3"})
            editor.addRow([&](int row) { editor.fieldAs<QLineEdit>(row, 1)->setText(QString::fromLatin1(amount)); });
        QCOMPARE(child<QLineEdit>(&editor, "DebtAmount3")->text(), QStringLiteral("3"));
        QVERIFY(!child<QLabel>(&editor, "DebtHint")->isVisibleTo(&editor));
        QTest::mouseClick(child<QAbstractButton>(&editor, "DebtRemove1"), Qt::LeftButton);
        QCOMPARE(editor.count(), 2);
        QCOMPARE(child<QLineEdit>(&editor, "DebtAmount1")->text(), QStringLiteral("2"));
        QCOMPARE(child<QLineEdit>(&editor, "DebtAmount2")->text(), QStringLiteral("3"));
        QVERIFY(!editor.findChild<QLineEdit *>(QStringLiteral("DebtAmount3")));
        editor.clear();
        QVERIFY(child<QLabel>(&editor, "DebtHint")->isVisibleTo(&editor));
    }

    void addButtonFocusesTheNewRow()
    {
        RowsEditor editor(QStringLiteral("Flow"), columns(), QStringLiteral("Добавить"), QStringLiteral("Нет строк"));
        editor.setNewRowInit([&](int row) { editor.fieldAs<QLineEdit>(row, 0)->setText(QStringLiteral("01.02.2026")); });
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        orveltest::click(&editor, "FlowAdd");
        QCOMPARE(editor.count(), 1);
        QCOMPARE(child<QLineEdit>(&editor, "FlowDate1")->text(), QStringLiteral("01.02.2026"));
        QTRY_VERIFY(child<QLineEdit>(&editor, "FlowDate1")->hasFocus());
    }

    void notesArePlainAndShownOnlyWithText()
    {
        RowsEditor editor(QStringLiteral("Debt"), columns(), QStringLiteral("Добавить"), QStringLiteral("Нет строк"));
        editor.addRow();
        auto *state = child<QLabel>(&editor, "DebtState1");
        QVERIFY(!state->isVisibleTo(&editor));
        editor.setNote(0, QStringLiteral("<b>1</b> не число"), true);
        QVERIFY(state->isVisibleTo(&editor));
        QCOMPARE(state->textFormat(), Qt::PlainText);
        QCOMPARE(editor.note(0), QStringLiteral("<b>1</b> не число"));
        editor.setNote(0, QString(), false);
        QVERIFY(!state->isVisibleTo(&editor));
    }

    // A note quotes what the user typed: the quote is cut to 40 characters,
    // the controls that turn text around are dropped, markup stays text.
    void notesQuoteUserTextSafely_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("shown");
        const QString forty(40, QLatin1Char('7'));
        const QString tail = QStringLiteral(" is not a valid floating point value");
        QTest::newRow("short quote") << "'12x'" + tail << "'12x'" + tail;
        QTest::newRow("forty") << "'" + forty + "'" + tail << "'" + forty + "'" + tail;
        QTest::newRow("a paste") << "'" + QString(10000, QLatin1Char('7')) + "'" + tail << "'" + forty + "…'" + tail;
        QTest::newRow("double quotes") << "Дата \"" + QString(50, QLatin1Char('x')) + "\" не читается"
                                       << "Дата \"" + QString(40, QLatin1Char('x')) + "…\" не читается";
        QTest::newRow("guillemets") << "«" + QString(41, QLatin1Char('y')) + "»" << "«" + QString(40, QLatin1Char('y')) + "…»";
        QTest::newRow("a quote inside the quote") << "'12'" + QString(60, QLatin1Char('3')) + "'" + tail
                                                  << "'12'" + QString(37, QLatin1Char('3')) + "…'" + tail;
        QTest::newRow("never closed") << "'" + QString(60, QLatin1Char('5')) << "'" + QString(40, QLatin1Char('5')) + "…";
        QTest::newRow("two quotes") << "'a' и '" + QString(45, QLatin1Char('b')) + "'"
                                    << "'a' и '" + QString(40, QLatin1Char('b')) + "…'";
        QTest::newRow("right-to-left override") << QStringLiteral("'12\u202Ex'") + tail << "'12x'" + tail;
        QStringList controls;
        for (char16_t c : {0x200E, 0x200F, 0x202A, 0x202B, 0x202C, 0x202D, 0x202E, 0x2066, 0x2067, 0x2068, 0x2069, 0x061C})
            controls << QString(QChar(c));
        QTest::newRow("every direction control") << "'1" + controls.join(QLatin1Char('2')) + "'" + tail
                                                 << "'1" + QString(controls.size() - 1, QLatin1Char('2')) + "'" + tail;
        QTest::newRow("not a quote: an apostrophe") << QStringLiteral("д'Артаньян") << QStringLiteral("д'Артаньян");
    }
    void notesQuoteUserTextSafely()
    {
        QFETCH(QString, note);
        QFETCH(QString, shown);
        RowsEditor editor(QStringLiteral("Debt"), columns(), QStringLiteral("Добавить"), QStringLiteral("Нет строк"));
        editor.addRow();
        editor.setNote(0, note, true);
        auto *state = child<QLabel>(&editor, "DebtState1");
        QCOMPARE(state->text(), shown);
        QCOMPARE(state->textFormat(), Qt::PlainText);
    }

    // However long a note, it wraps within the editor: the editor does not
    // grow wider and the row's ✕ stays in view.
    void longNoteKeepsTheWidth()
    {
        RowsEditor editor(QStringLiteral("Debt"), columns(), QStringLiteral("Добавить"), QStringLiteral("Нет строк"));
        editor.addRow();
        editor.resize(360, 300);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        const int minimum = editor.minimumSizeHint().width();
        editor.setNote(0, QString(10000, QLatin1Char('7')) + QStringLiteral(" и ещё ") + QString(3000, QLatin1Char('x')),
                       true);
        QTest::qWait(0);
        QCOMPARE(editor.minimumSizeHint().width(), minimum);
        QCOMPARE(editor.width(), 360);
        auto *remove = child<QToolButton>(&editor, "DebtRemove1");
        const QRect inView(remove->mapTo(&editor, QPoint(0, 0)), remove->size());
        QVERIFY2(editor.rect().contains(inView), qPrintable(QStringLiteral("%1 %2").arg(inView.right()).arg(editor.width())));
    }

    // Rows added and removed before the loop turns can be clicked at once:
    // each removal leaves the next row with its place and size.
    void rowsClickableBeforeTheLoopTurns()
    {
        RowsEditor editor(QStringLiteral("Debt"), columns(), QStringLiteral("Добавить"), QStringLiteral("Нет строк"));
        editor.resize(360, 240);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        for (int i = 0; i < 30; ++i)
            editor.addRow();
        for (int left = 29; left >= 0; --left) {
            orveltest::click(&editor, "DebtRemove1");
            QCOMPARE(editor.count(), left);
        }
    }

    // Many rows scroll: the editor's minimum size stays as with none, and a
    // row added at the end is scrolled into view.
    void rowsScroll()
    {
        RowsEditor editor(QStringLiteral("Debt"), columns(), QStringLiteral("Добавить"), QStringLiteral("Нет строк"));
        editor.resize(360, 240);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        const QSize empty = editor.minimumSizeHint();
        for (int i = 0; i < 60; ++i)
            editor.addRow();
        QCOMPARE(editor.minimumSizeHint(), empty);
        orveltest::click(&editor, "DebtAdd");
        auto *last = child<QLineEdit>(&editor, "DebtDate61");
        QTRY_VERIFY(editor.rect().contains(QRect(last->mapTo(&editor, QPoint(0, 0)), last->size())));
    }
};

QTEST_MAIN(TestRowsEditor)
#include "test_rows_editor.moc"
