// The message boxes: the real box behind MsgBox as it stands on screen, and
// what ShowError reports for each kind of error it meets.

#include "Connection.h"
#include "Error.h"
#include "MessageBox.h"
#include "MessageRecorder.h"
#include "ModalDriver.h"
#include "ShowError.h"
#include "TestDatabase.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QtTest>

#include <functional>
#include <stdexcept>

using namespace orvane;

using Thrower = std::function<void()>;
Q_DECLARE_METATYPE(Thrower)

class tst_ShowError : public QObject
{
    Q_OBJECT

private slots:
    void shown_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("shownTitle");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("press");
        QTest::addColumn<int>("result");

        const int ok = QMessageBox::Ok, cancel = QMessageBox::Cancel, yes = QMessageBox::Yes, no = QMessageBox::No;
        QTest::newRow("critical, OK") << int(vbCritical) << "Microsoft OLE DB Provider" << int(QMessageBox::Critical)
                                      << "Microsoft OLE DB Provider" << ok << ok << int(vbOK);
        QTest::newRow("question, yes/no, no") << (vbYesNo | vbQuestion) << "Confirm" << int(QMessageBox::Question)
                                              << "Confirm" << (yes | no) << no << int(vbNo);
        QTest::newRow("question, yes/no, yes") << (vbYesNo | vbQuestion) << "Confirm" << int(QMessageBox::Question)
                                               << "Confirm" << (yes | no) << yes << int(vbYes);
        QTest::newRow("exclamation, OK/cancel, cancel") << (vbOKCancel | vbExclamation) << "Alert"
            << int(QMessageBox::Warning) << "Alert" << (ok | cancel) << cancel << int(vbCancel);
        QTest::newRow("information, empty title shows the application's") << int(vbInformation) << ""
            << int(QMessageBox::Information) << "Trading Host" << ok << ok << int(vbOK);
        QTest::newRow("no icon, retry/cancel, retry") << int(vbRetryCancel) << "Orvane" << int(QMessageBox::NoIcon)
            << "Orvane" << int(QMessageBox::Retry | cancel) << int(QMessageBox::Retry) << int(vbRetry);
    }

    void shown()
    {
        QFETCH(int, style);
        QFETCH(QString, title);
        QFETCH(int, icon);
        QFETCH(QString, shownTitle);
        QFETCH(int, buttons);
        QFETCH(int, press);
        QFETCH(int, result);

        QGuiApplication::setApplicationDisplayName(QStringLiteral("Trading Host"));
        // Database messages hold '<' and '&': they must show as written, not as markup.
        const QString text = QStringLiteral("<b>D'Souza & Sons</b> <NULL> is not a code");
        QStringList seen;
        test::ModalDriver<QMessageBox> answer([&](QMessageBox *box) {
            seen << QString::number(int(box->icon())) << box->windowTitle() << box->text()
                 << QString::number(int(box->textFormat())) << QString::number(int(box->standardButtons()));
            box->button(QMessageBox::StandardButton(press))->click();
        });
        QCOMPARE(MsgBox(text, style, title), result);
        QCOMPARE(seen, (QStringList{QString::number(icon), shownTitle, text, QString::number(int(Qt::PlainText)),
                                    QString::number(buttons)}));
    }

    void shows_data()
    {
        QTest::addColumn<Thrower>("thrower");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");

        QTest::newRow("component error: its description and source")
            << Thrower([] { throw Error(QStringLiteral("Invalid column name 'PartyNam'."),
                                        QStringLiteral("Microsoft OLE DB Provider for SQL Server")); })
            << "Invalid column name 'PartyNam'." << "Microsoft OLE DB Provider for SQL Server";
        QTest::newRow("component error without source: the component")
            << Thrower([] { throw Error(QStringLiteral("Report layout is damaged."), QString()); })
            << "Report layout is damaged." << "Orvane";
        QTest::newRow("standard exception in UTF-8: its text, the component")
            << Thrower([] { throw std::runtime_error("Zoë's Mills: disk full"); })
            << QString::fromUtf8("Zoë's Mills: disk full") << "Orvane";
        QTest::newRow("unknown exception") << Thrower([] { throw 42; }) << "Unknown error" << "Orvane";
        QTest::newRow("no exception at all") << Thrower([] {}) << "Unknown error" << "Orvane";
        QTest::newRow("failed query: the database's own message and driver")
            << Thrower([] { Connection::create(test::createTestDatabase())->Execute("select PartyName from NoSuchTable"); })
            << "no such table: NoSuchTable" << "QSQLITE";
    }

    void shows()
    {
        QFETCH(Thrower, thrower);
        QFETCH(QString, text);
        QFETCH(QString, title);

        test::MessageRecorder recorder;
        try {
            thrower();
            ShowError();   // outside a catch block
        } catch (...) {
            ShowError();
        }
        QCOMPARE(recorder.boxes.size(), 1);
        QCOMPARE(recorder.boxes.at(0).text, text);
        QCOMPARE(recorder.boxes.at(0).style, int(vbCritical));
        QCOMPARE(recorder.boxes.at(0).title, title);
    }

    void aFailingBoxDoesNotThrow()
    {
        setMessageBoxHandler([](const QString &, int, const QString &) -> int { throw std::runtime_error("no display"); });
        bool reported = false;
        try {
            throw Error(QStringLiteral("x"), QStringLiteral("y"));
        } catch (...) {
            ShowError();   // a throw here would end the test
            reported = true;
        }
        setMessageBoxHandler({});
        QVERIFY(reported);
    }
};

QTEST_MAIN(tst_ShowError)
#include "tst_ShowError.moc"
