// The leading-number parse that turns typed codes into SQL numbers.

#include "NumberParse.h"

#include <QtTest>

using namespace orvane;

class tst_NumberParse : public QObject
{
    Q_OBJECT

private slots:
    void leadingNumber_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");

        QTest::newRow("leading zeros dropped") << "007" << "7";
        QTest::newRow("stops at a letter") << "12A" << "12";
        QTest::newRow("letter first gives 0") << "A1" << "0";
        QTest::newRow("blanks and tabs skipped anywhere") << " \t1 2  " << "12";
        QTest::newRow("minus kept") << " -3" << "-3";
        QTest::newRow("plus dropped") << "+5" << "5";
        QTest::newRow("trailing zero of fraction") << "1.50" << "1.5";
        QTest::newRow("leading point") << ".5" << "0.5";
        QTest::newRow("second point stops") << "1.2.3" << "1.2";
        QTest::newRow("empty") << "" << "0";
        QTest::newRow("blanks only") << "   " << "0";
        QTest::newRow("sign only") << "-" << "0";
        QTest::newRow("minus zero") << "-0" << "0";
        QTest::newRow("apostrophe stops") << "12'; drop table Parties --" << "12";
        QTest::newRow("comma stops") << "1,234" << "1";
        QTest::newRow("exponent written out") << "25e-1" << "2.5";
        QTest::newRow("D exponent") << "2D2" << "200";
        QTest::newRow("exponent without digits") << "12E+" << "12";
        QTest::newRow("arabic-indic digits are no digits") << QString::fromUtf8("\u0661\u0662") << "0";
        QTest::newRow("small fraction plainly") << "0.0000001" << "0.0000001";
        QTest::newRow("largest plain code") << "999999999999999" << "999999999999999";
        QTest::newRow("huge clamped") << "12345678901234567890" << "999999999999999";
        QTest::newRow("huge negative clamped") << "-12345678901234567890" << "-999999999999999";
        QTest::newRow("300 nines clamped") << QString(300, QLatin1Char('9')) << "999999999999999";
        QTest::newRow("overflowing exponent clamped") << "1e400" << "999999999999999";
        QTest::newRow("many digits, tiny exponent") << "123456789e-5" << "1234.56789";
        QTest::newRow("far underflow is 0") << "1e-400" << "0";
    }

    void leadingNumber()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        const QString text = LeadingNumberText(typed);
        QCOMPARE(text, expected);
        QCOMPARE(LeadingNumber(typed), expected.toDouble());
    }
};

QTEST_APPLESS_MAIN(tst_NumberParse)
#include "tst_NumberParse.moc"
