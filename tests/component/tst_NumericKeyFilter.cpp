// The numbers-only key filter, as a routine and as the event filter that the
// windows install on their number boxes.

#include "NumericKeyEventFilter.h"
#include "NumericKeyFilter.h"

#include <QLineEdit>
#include <QtTest>

using namespace orvane;

class tst_NumericKeyFilter : public QObject
{
    Q_OBJECT

private slots:
    void filter_data();
    void filter();
    void nullBoxCountsAsEmpty();

    void typedIntoBox_data();
    void typedIntoBox();
    void accentedLetterDropped();
    void editingKeysPass();
    void secondPointRefusedWhereverTheCaret();
    void pasteIsNotFiltered();
    void otherBoxesUntouched();
};

void tst_NumericKeyFilter::filter_data()
{
    QTest::addColumn<int>("keyAscii");
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<bool>("allowDecimal");
    QTest::addColumn<int>("expected");

    QTest::newRow("digit 0") << int('0') << "" << false << int('0');
    QTest::newRow("digit 9") << int('9') << "12" << false << int('9');
    QTest::newRow("digit with decimals allowed") << int('5') << "1.2" << true << int('5');
    QTest::newRow("backspace") << 8 << "12" << false << 8;
    QTest::newRow("backspace in empty box") << 8 << "" << true << 8;
    QTest::newRow("point refused without decimals, empty box") << 46 << "" << false << 0;
    QTest::newRow("point refused without decimals") << 46 << "12" << false << 0;
    QTest::newRow("first point passes") << 46 << "12" << true << 46;
    QTest::newRow("first point in empty box passes") << 46 << "" << true << 46;
    QTest::newRow("second point refused") << 46 << "1.2" << true << 0;
    QTest::newRow("point refused when box ends in one") << 46 << "12." << true << 0;
    QTest::newRow("minus refused") << int('-') << "" << true << 0;
    QTest::newRow("plus refused") << int('+') << "" << true << 0;
    QTest::newRow("comma refused") << int(',') << "1" << true << 0;
    QTest::newRow("letter refused") << int('A') << "" << false << 0;
    QTest::newRow("lower-case e refused") << int('e') << "1" << true << 0;
    QTest::newRow("blank refused") << int(' ') << "" << false << 0;
    QTest::newRow("apostrophe refused") << int('\'') << "" << false << 0;
    QTest::newRow("slash refused") << int('/') << "" << false << 0;   // 47, next to the digits
    QTest::newRow("colon refused") << int(':') << "" << false << 0;   // 58, next to the digits
    QTest::newRow("Enter refused") << 13 << "" << false << 0;
    QTest::newRow("accented letter refused") << 0xE9 << "" << false << 0;
    QTest::newRow("arabic-indic digit refused") << 0x0661 << "" << false << 0;
}

void tst_NumericKeyFilter::filter()
{
    QFETCH(int, keyAscii);
    QFETCH(QString, boxText);
    QFETCH(bool, allowDecimal);
    QFETCH(int, expected);

    QLineEdit box(boxText);
    NumericKeyFilter(keyAscii, &box, allowDecimal);
    QCOMPARE(keyAscii, expected);
}

void tst_NumericKeyFilter::nullBoxCountsAsEmpty()
{
    int keyAscii = 46;
    NumericKeyFilter(keyAscii, nullptr, true);
    QCOMPARE(keyAscii, 46);
}

void tst_NumericKeyFilter::typedIntoBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("allowDecimal");
    QTest::addColumn<QString>("expected");

    QTest::newRow("digits") << "00123" << false << "00123";
    QTest::newRow("letters dropped") << "1a2B3" << false << "123";
    QTest::newRow("minus dropped") << "-15" << false << "15";
    QTest::newRow("point dropped without decimals") << "1.5" << false << "15";
    QTest::newRow("one point kept") << "1.5" << true << "1.5";
    QTest::newRow("second point dropped") << "1.2.3" << true << "1.23";
    QTest::newRow("blanks and quotes dropped") << "4 '7" << false << "47";
}

void tst_NumericKeyFilter::typedIntoBox()
{
    QFETCH(QString, typed);
    QFETCH(bool, allowDecimal);
    QFETCH(QString, expected);

    QLineEdit box;
    NumericKeyEventFilter::install(&box, allowDecimal);
    QTest::keyClicks(&box, typed);
    QCOMPARE(box.text(), expected);
}

void tst_NumericKeyFilter::accentedLetterDropped()
{
    QLineEdit box;
    NumericKeyEventFilter::install(&box, true);
    QTest::keyClicks(&box, "9");
    QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_Eacute, QString::fromUtf8("é"), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_unknown, QString::fromUtf8("\u0661"), Qt::NoModifier);
    QTest::keyClicks(&box, "8");
    QCOMPARE(box.text(), QString("98"));
}

void tst_NumericKeyFilter::editingKeysPass()
{
    QLineEdit box;
    NumericKeyEventFilter::install(&box, false);
    QTest::keyClicks(&box, "1234");
    QTest::keyClick(&box, Qt::Key_Backspace);
    QCOMPARE(box.text(), QString("123"));
    QTest::keyClick(&box, Qt::Key_Home);
    QCOMPARE(box.cursorPosition(), 0);
    QTest::keyClick(&box, Qt::Key_Delete);
    QCOMPARE(box.text(), QString("23"));
    QTest::keyClick(&box, Qt::Key_Right);
    QCOMPARE(box.cursorPosition(), 1);
    QTest::keyClick(&box, Qt::Key_End);
    QCOMPARE(box.cursorPosition(), 2);
    // Select all with the shortcut, then type over the selection.
    QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(box.selectedText(), QString("23"));
    QTest::keyClicks(&box, "7");
    QCOMPARE(box.text(), QString("7"));
}

void tst_NumericKeyFilter::secondPointRefusedWhereverTheCaret()
{
    QLineEdit box;
    NumericKeyEventFilter::install(&box, true);
    QTest::keyClicks(&box, "12.5");
    QTest::keyClick(&box, Qt::Key_Home);
    QTest::keyClick(&box, Qt::Key_Period);
    QTest::keyClick(&box, Qt::Key_End);
    QTest::keyClick(&box, Qt::Key_Period);
    QCOMPARE(box.text(), QString("12.5"));
    // Once the point is deleted another may be typed.
    QTest::keyClick(&box, Qt::Key_Backspace);
    QTest::keyClick(&box, Qt::Key_Backspace);
    QTest::keyClick(&box, Qt::Key_Period);
    QCOMPARE(box.text(), QString("12."));
}

void tst_NumericKeyFilter::pasteIsNotFiltered()
{
    QLineEdit box;
    NumericKeyEventFilter::install(&box, false);
    box.insert("A-1.5");   // what a paste does to the box
    QCOMPARE(box.text(), QString("A-1.5"));
}

void tst_NumericKeyFilter::otherBoxesUntouched()
{
    QLineEdit numbers;
    QLineEdit names;
    // Installed on a second object by mistake, the filter must leave it alone.
    names.installEventFilter(NumericKeyEventFilter::install(&numbers, false));
    QTest::keyClicks(&names, "Ab1");
    QCOMPARE(names.text(), QString("Ab1"));
}

QTEST_MAIN(tst_NumericKeyFilter)
#include "tst_NumericKeyFilter.moc"
