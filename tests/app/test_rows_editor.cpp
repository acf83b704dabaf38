// The editor of rows the schedule, penalties and deposit windows share: one
// report per turn of the event loop, names that follow the places, notes.
#include "ui/RowsEditor.h"

#include "GuiTest.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

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
};

QTEST_MAIN(TestRowsEditor)
#include "test_rows_editor.moc"
