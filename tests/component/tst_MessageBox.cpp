// The real message box behind MsgBox: icon, title, buttons and the value
// returned, checked on the box as it stands on screen.

#include "MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace orvane;

namespace {

struct SeenBox
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    Qt::TextFormat format = Qt::AutoText;
    bool found = false;
};

// Waits for the modal box, records what it shows, then answers it.
void answerBox(SeenBox &seen, const std::function<void(QMessageBox *)> &answer)
{
    QTimer::singleShot(0, [&seen, answer] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            answerBox(seen, answer);   // not up yet: look again on the next turn
            return;
        }
        seen.found = true;
        seen.icon = box->icon();
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.buttons = box->standardButtons();
        seen.format = box->textFormat();
        answer(box);
    });
}

} // namespace

class tst_MessageBox : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void iconAndTitle_data();
    void iconAndTitle();
    void buttonsAndResult_data();
    void buttonsAndResult();
    void escapeAnswersOkOnly();
    void markupShownAsWritten();
    void recorderReplacesBoxAndCanBeRemoved();
};

void tst_MessageBox::initTestCase()
{
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Trading Host"));
}

void tst_MessageBox::iconAndTitle_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("shownTitle");

    QTest::newRow("critical") << 16 << "Microsoft OLE DB Provider" << int(QMessageBox::Critical)
                              << "Microsoft OLE DB Provider";
    QTest::newRow("question") << 32 << "Confirm" << int(QMessageBox::Question) << "Confirm";
    QTest::newRow("exclamation") << 48 << "Alert" << int(QMessageBox::Warning) << "Alert";
    QTest::newRow("information") << 64 << "Information" << int(QMessageBox::Information)
                                 << "Information";
    QTest::newRow("none, empty title shows the application's") << 0 << "" << int(QMessageBox::NoIcon)
                                                               << "Trading Host";
    QTest::newRow("information, empty title") << 64 << "" << int(QMessageBox::Information)
                                              << "Trading Host";
}

void tst_MessageBox::iconAndTitle()
{
    QFETCH(int, style);
    QFETCH(QString, title);
    QFETCH(int, icon);
    QFETCH(QString, shownTitle);

    SeenBox seen;
    answerBox(seen, [](QMessageBox *box) { box->button(QMessageBox::Ok)->click(); });
    const int result = MsgBox(QStringLiteral("No record exists."), style, title);
    QVERIFY(seen.found);
    QCOMPARE(int(seen.icon), icon);
    QCOMPARE(seen.title, shownTitle);
    QCOMPARE(seen.text, QStringLiteral("No record exists."));
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(result, int(vbOK));
}

void tst_MessageBox::buttonsAndResult_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("result");

    QTest::newRow("OK only") << 64 << int(QMessageBox::Ok) << int(QMessageBox::Ok) << int(vbOK);
    QTest::newRow("yes/no, no") << (vbYesNo | vbQuestion) << int(QMessageBox::Yes | QMessageBox::No)
                                << int(QMessageBox::No) << int(vbNo);
    QTest::newRow("yes/no, yes") << (vbYesNo | vbQuestion) << int(QMessageBox::Yes | QMessageBox::No)
                                 << int(QMessageBox::Yes) << int(vbYes);
    QTest::newRow("OK/cancel, cancel") << (vbOKCancel | vbExclamation)
                                       << int(QMessageBox::Ok | QMessageBox::Cancel)
                                       << int(QMessageBox::Cancel) << int(vbCancel);
    QTest::newRow("retry/cancel, retry") << int(vbRetryCancel) << int(QMessageBox::Retry | QMessageBox::Cancel)
                                         << int(QMessageBox::Retry) << int(vbRetry);
}

void tst_MessageBox::buttonsAndResult()
{
    QFETCH(int, style);
    QFETCH(int, buttons);
    QFETCH(int, press);
    QFETCH(int, result);

    SeenBox seen;
    answerBox(seen, [press](QMessageBox *box) {
        box->button(QMessageBox::StandardButton(press))->click();
    });
    QCOMPARE(MsgBox(QStringLiteral("Go on?"), style, QStringLiteral("Orvane")), result);
    QVERIFY(seen.found);
    QCOMPARE(int(seen.buttons), buttons);
}

void tst_MessageBox::escapeAnswersOkOnly()
{
    SeenBox seen;
    answerBox(seen, [](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); });
    QCOMPARE(MsgBox(QStringLiteral("Enter Product Code."), vbExclamation, QStringLiteral("Ledger")),
             int(vbOK));
    QVERIFY(seen.found);
}

void tst_MessageBox::markupShownAsWritten()
{
    SeenBox seen;
    answerBox(seen, [](QMessageBox *box) { box->button(QMessageBox::Ok)->click(); });
    const QString text = QStringLiteral("<b>D'Souza & Sons</b> <NULL> is not a code");
    MsgBox(text, vbCritical, QStringLiteral("Orvane"));
    QVERIFY(seen.found);
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.format, Qt::PlainText);
}

void tst_MessageBox::recorderReplacesBoxAndCanBeRemoved()
{
    QStringList recorded;
    setMessageBoxHandler([&recorded](const QString &text, int style, const QString &title) {
        recorded << QStringLiteral("%1|%2|%3").arg(text).arg(style).arg(title);
        return int(vbNo);
    });
    QCOMPARE(MsgBox(QStringLiteral("Please Enter Product Id")), int(vbNo));
    // The recorder sees the title as the caller gave it: empty.
    QCOMPARE(recorded, QStringList{QStringLiteral("Please Enter Product Id|0|")});

    setMessageBoxHandler({});
    SeenBox seen;
    answerBox(seen, [](QMessageBox *box) { box->button(QMessageBox::Ok)->click(); });
    QCOMPARE(MsgBox(QStringLiteral("back to the real box"), vbInformation), int(vbOK));
    QVERIFY(seen.found);
    QCOMPARE(recorded.size(), 1);
}

QTEST_MAIN(tst_MessageBox)
#include "tst_MessageBox.moc"
