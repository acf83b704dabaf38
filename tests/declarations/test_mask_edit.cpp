// Masked fields: the mask rule as plain functions, and the field as a person
// types into it.
#include "GuiTest.h"
#include "ui/declarations/MaskEdit.h"

#include <QClipboard>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>

using namespace orveltest;
using orvel::MaskEdit;

class TestMaskEdit : public QObject {
    Q_OBJECT

private slots:
    void apply_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("firstEmptyRequired");
        const QString phone = QStringLiteral("8\\(999\\)000-0000;1;_");
        QTest::newRow("phone empty") << phone << "" << "8(   )   -    " << "8(___)___-____" << 6;
        QTest::newRow("phone full") << phone << "8(495)123-4567" << "8(495)123-4567" << "8(495)123-4567" << -1;
        QTest::newRow("phone trailing blanks dropped") << phone << "8(   )   -" << "8(   )   -    " << "8(___)___-____" << 6;
        QTest::newRow("phone without literals") << phone << "84951234567" << "8(495)123-4567" << "8(495)123-4567" << -1;
        QTest::newRow("phone optional digits empty") << phone << "8(   )123-4567" << "8(   )123-4567" << "8(___)123-4567" << -1;
        QTest::newRow("inn empty") << "000000000000;1;_" << "" << QString(12, ' ') << QString(12, '_') << 0;
        QTest::newRow("inn partly") << "000000000000;1;_" << "7712" << "7712        " << "7712________" << 4;
        QTest::newRow("too long is cut") << "000;1;_" << "12345" << "123" << "123" << -1;
        QTest::newRow("one digit of three") << "0;1;_" << "001" << "0" << "0" << -1;
        QTest::newRow("letters are blanks") << "0000;1;_" << "2a1_" << "2 1 " << "2_1_" << 1;
        QTest::newRow("escaped digit is literal") << "\\0-00;1;_" << "0-12" << "0-12" << "0-12" << -1;
        QTest::newRow("other blank character") << "00;1;*" << "" << "  " << "**" << 0;
        QTest::newRow("no suffix") << "00" << "1" << "1 " << "1_" << 1;
    }
    void apply()
    {
        QFETCH(QString, mask);
        QFETCH(QString, value);
        QFETCH(QString, text);
        QFETCH(QString, display);
        QFETCH(int, firstEmptyRequired);
        const orvel::EditMask m = orvel::parseEditMask(mask);
        const QString applied = orvel::applyEditMask(m, value);
        QCOMPARE(applied, text);
        QCOMPARE(orvel::maskDisplayText(m, applied), display);
        QCOMPARE(orvel::firstEmptyRequired(m, applied), firstEmptyRequired);
        // A text that fits the mask stays as it is.
        QCOMPARE(orvel::applyEditMask(m, applied), applied);
        QCOMPARE(orvel::emptyMaskText(m).size(), text.size());
    }

    void accepts()
    {
        const orvel::EditMask m = orvel::parseEditMask(QStringLiteral("8\\(999\\)000-0000;1;_"));
        QVERIFY(!orvel::maskAccepts(m, 0, QLatin1Char('8'))); // the literal "8"
        QVERIFY(!orvel::maskAccepts(m, 1, QLatin1Char('(')));
        QVERIFY(orvel::maskAccepts(m, 2, QLatin1Char('5')));  // optional digit
        QVERIFY(!orvel::maskAccepts(m, 2, QLatin1Char(' ')));
        QVERIFY(orvel::maskAccepts(m, 6, QLatin1Char('0')));  // required digit
        QVERIFY(!orvel::maskAccepts(m, 6, QLatin1Char('a')));
        QVERIFY(!orvel::maskAccepts(m, 9, QLatin1Char('-')));
        QVERIFY(!orvel::maskAccepts(m, 14, QLatin1Char('1'))); // past the end
    }

    void typing_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        const QString phone = QStringLiteral("8\\(999\\)000-0000;1;_");
        QTest::newRow("digits skip the literals") << phone << "" << 0 << "4951234567" << "8(495)123-4567";
        QTest::newRow("typed literals step over") << phone << "" << 0 << "8(495)1" << "8(495)1  -    ";
        QTest::newRow("letters refused") << "0000;1;_" << "" << 0 << "1a2" << "12  ";
        QTest::newRow("overwrites") << "0000;1;_" << "1234" << 1 << "9" << "1934";
        QTest::newRow("no room at the end") << "00;1;_" << "12" << 2 << "3" << "12";
        QTest::newRow("backspace blanks") << "0000;1;_" << "1234" << 2 << "\b" << "1 34";
        QTest::newRow("backspace over literal") << phone << "8(495)123-4567" << 10 << "\b" << "8(495)12 -4567";
    }
    void typing()
    {
        QFETCH(QString, mask);
        QFETCH(QString, start);
        QFETCH(int, cursor);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        MaskEdit e(mask);
        e.setText(start);
        e.setCursorPosition(cursor);
        for (const QChar c : keys) {
            if (c == QLatin1Char('\b'))
                QTest::keyClick(&e, Qt::Key_Backspace);
            else
                QTest::keyClicks(&e, QString(c));
        }
        QCOMPARE(e.text(), text);
        QCOMPARE(e.displayText(), text); // the text itself never holds the "_"
        QCOMPARE(e.isModified(), start != text);
    }

    void setTextAppliesMask()
    {
        MaskEdit e(QStringLiteral("8\\(999\\)000-0000;1;_"));
        QCOMPARE(e.text(), QStringLiteral("8(   )   -    "));
        e.setText(QStringLiteral("8(   )   -"));
        QCOMPARE(e.text(), QStringLiteral("8(   )   -    "));
        // Also through the base class.
        static_cast<QLineEdit &>(e).setText(QStringLiteral("8(812)5556677"));
        QCOMPARE(e.text(), QStringLiteral("8(812)555-6677"));
        e.setText(QString());
        QCOMPARE(e.text(), QStringLiteral("8(   )   -    "));
        QVERIFY(!e.isModified());
    }

    // Leaving a changed field with a required position empty: beep, error
    // box, the focus stays; Escape gives back the text it had on entry.
    void leavingIncomplete()
    {
        QWidget form;
        auto *layout = new QHBoxLayout(&form);
        auto *inn = new MaskEdit(QStringLiteral("0000;1;_"), &form);
        auto *other = new MaskEdit(QStringLiteral("00;1;_"), &form);
        auto *button = new QPushButton(QStringLiteral("OK"), &form);
        int clicks = 0;
        QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
        layout->addWidget(inn);
        layout->addWidget(other);
        layout->addWidget(button);
        inn->setText(QStringLiteral("1234"));
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        inn->setFocus(Qt::TabFocusReason);
        QVERIFY(inn->hasFocus());

        ModalWatcher boxes;
        const QString error = QStringLiteral("Invalid input value.  Use escape key to abandon changes.");
        // Unchanged fields come and go freely.
        QTest::keyClick(inn, Qt::Key_Tab);
        QVERIFY(other->hasFocus());
        QCOMPARE(boxes.texts(), QStringList());
        QTest::keyClick(other, Qt::Key_Backtab);
        QVERIFY(inn->hasFocus());

        inn->setCursorPosition(4);
        QTest::keyClick(inn, Qt::Key_Backspace);
        QCOMPARE(inn->text(), QStringLiteral("123 "));
        QTest::keyClick(inn, Qt::Key_Return);
        QCOMPARE(boxes.texts(), QStringList{error});
        QTRY_VERIFY(inn->hasFocus());
        QTest::keyClick(inn, Qt::Key_Tab);
        QTRY_COMPARE(boxes.texts().size(), 2);
        QTRY_VERIFY(inn->hasFocus());
        // A click on a button does not take the focus away either.
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_COMPARE(boxes.texts().size(), 3);
        QCOMPARE(clicks, 0);
        QTRY_VERIFY(inn->hasFocus());

        QTest::keyClick(inn, Qt::Key_Escape);
        QCOMPARE(inn->text(), QStringLiteral("1234"));
        QTest::keyClick(inn, Qt::Key_Tab);
        QVERIFY(other->hasFocus());
        QCOMPARE(boxes.texts().size(), 3);

        // A complete change leaves without a word; optional-only fields too.
        QTest::keyClicks(other, QStringLiteral("42"));
        QTest::keyClick(other, Qt::Key_Tab);
        QVERIFY(button->hasFocus());
        QCOMPARE(boxes.texts().size(), 3);
        QCOMPARE(other->text(), QStringLiteral("42"));
    }

    // Pasting, from the keyboard or the context menu, types the clipboard's
    // characters through the mask; undo is not offered.
    void paste()
    {
        MaskEdit e(QStringLiteral("8\\(999\\)000-0000;1;_"));
        e.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        QApplication::clipboard()->setText(QStringLiteral("495-123"));
        e.setCursorPosition(0);
        QTest::keyClick(&e, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e.text(), QStringLiteral("8(495)   -    "));

        QApplication::clipboard()->setText(QStringLiteral("1234567"));
        e.setCursorPosition(6);
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(5, 5), e.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&e, &menuEvent);
        QMenu *menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) != nullptr);
        QAction *pasteAction = nullptr;
        for (QAction *a : menu->actions()) {
            if (a->objectName() == QLatin1String("edit-paste"))
                pasteAction = a;
            QVERIFY(a->objectName() != QLatin1String("edit-undo"));
        }
        QVERIFY(pasteAction);
        pasteAction->trigger();
        menu->close();
        QCOMPARE(e.text(), QStringLiteral("8(495)123-4567"));
    }

    void looks()
    {
        QWidget form;
        auto *layout = new QHBoxLayout(&form);
        auto *tele = new MaskEdit(QStringLiteral("8\\(999\\)000-0000;1;_"), &form);
        tele->setText(QStringLiteral("8(495)12"));
        layout->addWidget(tele);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.grab().save(QStringLiteral("/tmp/orvel-maskedit.png")));
    }
};

QTEST_MAIN(TestMaskEdit)
#include "test_mask_edit.moc"
