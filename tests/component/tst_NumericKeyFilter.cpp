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
    // Every key typed into a box goes through the routine (typedIntoBox); a
    // caller without a box still gets its first point.
    void pointWithoutBox()
    {
        int keyAscii = 46;
        NumericKeyFilter(keyAscii, nullptr, true);
        QCOMPARE(keyAscii, 46);
    }

    void typedIntoBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("allowDecimal");
        QTest::addColumn<QString>("expected");

        QTest::newRow("digits") << "0012389" << false << "0012389";
        QTest::newRow("letters dropped") << "1a2B3" << false << "123";
        QTest::newRow("accented letter and other digits dropped") << QString::fromUtf8("9é١8") << true << "98";
        QTest::newRow("minus dropped") << "-15" << false << "15";
        QTest::newRow("point dropped without decimals") << "1.5" << false << "15";
        QTest::newRow("one point kept") << "1.5" << true << "1.5";
        QTest::newRow("second point dropped") << "1.2.3" << true << "1.23";
        QTest::newRow("blanks, quotes and the digits' neighbours dropped") << "4 '/:7" << false << "47";
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
