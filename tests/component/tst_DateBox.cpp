// The date box as a user types into it: whole dates with and without
// separators, entered by Tab, Shift+Tab, a click or Ctrl+A, stepped with
// Up/Down, refused when impossible, and picked from the calendar.

#include "DateBox.h"

#include "MessageRecorder.h"

#include <QCalendarWidget>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

using namespace orvane;
using namespace orvane::test;

class tst_DateBox : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_host = new QWidget;
        m_host->setWindowTitle(QStringLiteral("Purchase Summary"));
        auto *layout = new QVBoxLayout(m_host);
        layout->addWidget(m_before = new QLineEdit(m_host));
        layout->addWidget(m_box = new DateBox(m_host));
        layout->addWidget(m_after = new QLineEdit(m_host));
        m_box->setFieldName(QStringLiteral("To Date"));
        m_host->show();
        m_host->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_host));
    }
    void cleanup() { delete m_host; }

    void typedKeys_data()
    {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("text");   // shown afterwards; a date in it is the accepted one
        QTest::addColumn<bool>("refused");

        const QDate april(2024, 4, 1), march31(2024, 3, 31);
        QTest::newRow("31032026 into 01/04/2024: no day clamped by April") << april << "tab 31032026" << "31/03/2026" << false;
        QTest::newRow("nothing read while typing") << april << "tab 3103" << "3103" << false;
        QTest::newRow("31-3-26: two-digit year on leaving") << april << "tab 31-3-26 leave" << "31/03/2026" << false;
        QTest::newRow("310326: six digits on leaving") << april << "tab 310326 leave" << "31/03/2026" << false;
        QTest::newRow("a click at the year selects the whole date") << april << "click 31032026" << "31/03/2026" << false;
        QTest::newRow("Ctrl+A after moving the caret") << april << "tab end ctrl+a 01012025" << "01/01/2025" << false;
        QTest::newRow("typed over the date, caret in the year") << april << "tab caret:7 31032026" << "31/03/2026" << false;
        QTest::newRow("Shift+Tab lands on the day, not the year") << april << "backtab 31032026" << "31/03/2026" << false;
        QTest::newRow("letters are not typed") << april << "tab 31a/03x/2026" << "31/03/2026" << false;
        QTest::newRow("a day alone keeps month and year") << april << "tab 15 leave" << "15/04/2024" << false;
        QTest::newRow("day and month keep the year") << april << "tab 3103 leave" << "31/03/2024" << false;
        QTest::newRow("29 February of a leap year") << april << "tab 29022024" << "29/02/2024" << false;
        QTest::newRow("31/02/2026 refused, text kept") << april << "tab 31/02/2026" << "31/02/2026" << true;
        QTest::newRow("29022025 refused: no leap year") << april << "tab 29022025" << "29022025" << true;
        QTest::newRow("three digits cannot be split") << april << "tab 311 leave" << "311" << true;
        QTest::newRow("Escape puts the accepted date back") << april << "tab 3103 esc" << "01/04/2024" << false;
        QTest::newRow("Up on the day") << march31 << "tab up" << "01/04/2024" << false;
        QTest::newRow("Down on the month") << march31 << "tab caret:4 down" << "29/02/2024" << false;
        QTest::newRow("Up on the month twice") << QDate(2024, 11, 15) << "tab caret:4 up up" << "15/01/2025" << false;
        QTest::newRow("Up on the year") << march31 << "tab end up" << "31/03/2025" << false;
        QTest::newRow("Up takes a typed day first") << april << "tab 15 up" << "16/04/2024" << false;
    }

    void typedKeys()
    {
        QFETCH(QDate, start);
        QFETCH(QString, steps);
        QFETCH(QString, text);
        QFETCH(bool, refused);

        MessageRecorder boxes;
        m_box->setDate(start);
        QSignalSpy changed(m_box, &DateBox::dateChanged);
        run(steps);
        const QDate shown = QDate::fromString(text, QStringLiteral("dd/MM/yyyy"));
        QCOMPARE(m_box->date(), refused || !shown.isValid() ? start : shown);
        QCOMPARE(m_box->text(), text);
        QCOMPARE(changed.isEmpty(), m_box->date() == start);
        QCOMPARE(boxes.texts(), refused ? QStringLiteral("To Date: \"%1\" is not a date. Type the day, month and year as "
                                                         "dd/MM/yyyy.").arg(text) : QString());
        if (!refused)
            return;
        QCOMPARE(boxes.boxes.at(0).style, 48);
        QCOMPARE(boxes.boxes.at(0).title, QStringLiteral("Purchase Summary"));
        // Still refused when the focus would leave, until corrected.
        QVERIFY(!m_box->checkEntry());
        QTest::keyClicks(m_box, QStringLiteral("28022026"));
        QCOMPARE(m_box->date(), QDate(2026, 2, 28));
    }

    void calendar_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("escape");
        QTest::newRow("F4, the next day picked") << int(Qt::Key_F4) << int(Qt::NoModifier) << false;
        QTest::newRow("Alt+Down, the next day picked") << int(Qt::Key_Down) << int(Qt::AltModifier) << false;
        QTest::newRow("F4, Escape keeps the date") << int(Qt::Key_F4) << int(Qt::NoModifier) << true;
    }

    void calendar()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, escape);
        m_box->setDate(QDate(2024, 3, 31));
        run(QStringLiteral("tab"));
        QTest::keyClick(m_box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_VERIFY(m_box->calendar() && m_box->calendar()->isVisible());
        QCalendarWidget *calendar = m_box->calendar();
        QCOMPARE(calendar->selectedDate(), QDate(2024, 3, 31));
        // The day after, picked from the keyboard.
        QWidget *days = calendar->focusWidget();
        QVERIFY(days);
        QTest::keyClick(days, Qt::Key_Right);
        QTest::keyClick(days, escape ? Qt::Key_Escape : Qt::Key_Return);
        QTRY_VERIFY(!m_box->calendar());
        const QDate expected = escape ? QDate(2024, 3, 31) : QDate(2024, 4, 1);
        QCOMPARE(m_box->date(), expected);
        QCOMPARE(m_box->text(), expected.toString(QStringLiteral("dd/MM/yyyy")));
    }

private:
    /// Runs blank-separated steps on the box: "tab", "backtab", "click" (at the
    /// year), "caret:N" (a click inside the focused box), "ctrl+a", "up",
    /// "down", "end", "esc", "leave" (the window's check as the focus leaves),
    /// or text typed key by key.
    void run(const QString &steps)
    {
        for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (step == QLatin1String("tab")) {
                m_before->setFocus();
                QTest::keyClick(m_before, Qt::Key_Tab);
            } else if (step == QLatin1String("backtab")) {
                m_after->setFocus();
                QTest::keyClick(m_after, Qt::Key_Backtab, Qt::ShiftModifier);
            } else if (step == QLatin1String("click")) {
                m_before->setFocus();
                QTest::mouseClick(m_box, Qt::LeftButton, {}, QPoint(m_box->width() - 12, m_box->height() / 2));
            } else if (step.startsWith(QLatin1String("caret:"))) {
                m_box->setCursorPosition(step.mid(6).toInt());
            } else if (step == QLatin1String("ctrl+a")) {
                QTest::keyClick(m_box, Qt::Key_A, Qt::ControlModifier);
            } else if (step == QLatin1String("up") || step == QLatin1String("down")) {
                QTest::keyClick(m_box, step == QLatin1String("up") ? Qt::Key_Up : Qt::Key_Down);
            } else if (step == QLatin1String("end")) {
                QTest::keyClick(m_box, Qt::Key_End);
            } else if (step == QLatin1String("esc")) {
                QTest::keyClick(m_box, Qt::Key_Escape);
            } else if (step == QLatin1String("leave")) {
                m_box->checkEntry();
            } else {
                QTest::keyClicks(m_box, step);
            }
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(m_box));
        }
    }

    QWidget *m_host = nullptr;
    QLineEdit *m_before = nullptr;
    DateBox *m_box = nullptr;
    QLineEdit *m_after = nullptr;
};

QTEST_MAIN(tst_DateBox)
#include "tst_DateBox.moc"
