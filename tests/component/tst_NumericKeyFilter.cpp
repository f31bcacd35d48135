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
    void filter_data()
    {
        QTest::addColumn<int>("keyAscii");
        QTest::addColumn<QString>("boxText");   // null: no box at all
        QTest::addColumn<bool>("allowDecimal");
        QTest::addColumn<int>("expected");

        QTest::newRow("digit 0") << int('0') << "" << false << int('0');
        QTest::newRow("digit 9") << int('9') << "12" << false << int('9');
        QTest::newRow("backspace") << 8 << "12" << false << 8;
        QTest::newRow("point refused without decimals, empty box") << 46 << "" << false << 0;
        QTest::newRow("point refused without decimals") << 46 << "12" << false << 0;
        QTest::newRow("first point passes") << 46 << "12" << true << 46;
        QTest::newRow("first point in empty box passes") << 46 << "" << true << 46;
        QTest::newRow("first point, no box") << 46 << QString() << true << 46;
        QTest::newRow("second point refused") << 46 << "1.2" << true << 0;
        QTest::newRow("minus refused") << int('-') << "" << true << 0;
        QTest::newRow("letter refused") << int('A') << "" << false << 0;
        QTest::newRow("apostrophe refused") << int('\'') << "" << false << 0;
        QTest::newRow("slash refused") << int('/') << "" << false << 0;   // 47, next to the digits
        QTest::newRow("colon refused") << int(':') << "" << false << 0;   // 58, next to the digits
        QTest::newRow("accented letter refused") << 0xE9 << "" << false << 0;
    }

    void filter()
    {
        QFETCH(int, keyAscii);
        QFETCH(QString, boxText);
        QFETCH(bool, allowDecimal);
        QFETCH(int, expected);

        QLineEdit box(boxText);
        NumericKeyFilter(keyAscii, boxText.isNull() ? nullptr : &box, allowDecimal);
        QCOMPARE(keyAscii, expected);
    }

    void typedIntoBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("allowDecimal");
        QTest::addColumn<QString>("expected");

        QTest::newRow("digits") << "00123" << false << "00123";
        QTest::newRow("letters dropped") << "1a2B3" << false << "123";
        QTest::newRow("accented letter and other digits dropped") << QString::fromUtf8("9é١8") << true << "98";
        QTest::newRow("minus dropped") << "-15" << false << "15";
        QTest::newRow("point dropped without decimals") << "1.5" << false << "15";
        QTest::newRow("one point kept") << "1.5" << true << "1.5";
        QTest::newRow("second point dropped") << "1.2.3" << true << "1.23";
        QTest::newRow("blanks and quotes dropped") << "4 '7" << false << "47";
    }

    void typedIntoBox()
    {
        QFETCH(QString, typed);
        QFETCH(bool, allowDecimal);
        QFETCH(QString, expected);

        QLineEdit box;
        NumericKeyEventFilter::install(&box, allowDecimal);
        for (const QChar c : typed) {
            if (c.unicode() < 0x80)
                QTest::keyClicks(&box, QString(c));
            else   // keyClicks knows no key for it
                QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        QCOMPARE(box.text(), expected);
    }

    void editingKeysPass()
    {
        QLineEdit box;
        NumericKeyEventFilter::install(&box, false);
        QTest::keyClicks(&box, "1234");
        QTest::keyClick(&box, Qt::Key_Backspace);
        QTest::keyClick(&box, Qt::Key_Home);
        QTest::keyClick(&box, Qt::Key_Delete);
        QCOMPARE(box.text(), QString("23"));
        // Select all with the shortcut, then type over the selection.
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(&box, "7");
        QCOMPARE(box.text(), QString("7"));
    }
};

QTEST_MAIN(tst_NumericKeyFilter)
#include "tst_NumericKeyFilter.moc"
