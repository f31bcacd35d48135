#pragma once

#include <QCalendarWidget>
#include <QDate>
#include <QLineEdit>
#include <QPointer>



namespace orvane {

/// A date typed as a date: the box shows "dd/MM/yyyy" and takes what the user
/// types whole, without clamping a section while the next is still to come.
///
/// Entering the box by Tab, Shift+Tab or a click selects the whole date with
/// the caret on the day, so that a date typed next replaces it. Digits fill
/// day, month and year in turn, with or without separators ("31032026",
/// "31/03/2026", "31-3-26"; a two-digit year is 20yy). Sections left out keep
/// the month and year shown before. The entry is checked as soon as it is
/// complete (eight digits, or three parts with a four-digit year) and when
/// checkEntry() is called, which the window does as the focus leaves the box.
/// A date that does not exist is refused with a message naming the box; the
/// text stays as typed and date() keeps the last accepted date.
///
/// Up/Down step the section under the caret (day, month or year); Alt+Down or
/// F4 opens a calendar; Escape puts back the accepted date.
class DateBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit DateBox(QWidget *parent = nullptr);

    /// The format the box shows: "dd/MM/yyyy".
    static QString displayFormat();

    /// The last accepted date (never invalid).
    QDate date() const { return m_date; }
    /// Shows `date` and makes it the accepted date; an invalid date or one
    /// outside [minimumDate, maximumDate] is ignored.
    void setDate(const QDate &date);

    static QDate minimumDate() { return QDate(1900, 1, 1); }
    static QDate maximumDate() { return QDate(9999, 12, 31); }

    /// The box's name in messages ("From Date").
    QString fieldName() const { return m_fieldName; }
    void setFieldName(const QString &name) { m_fieldName = name; }

    /// True when the text is not the accepted date as shown (typing under way).
    bool hasPendingEntry() const;

    /// Accepts the typed text when it reads as a date, else shows the refusal
    /// (exclamation, titled with the window's caption) and returns false,
    /// keeping the text for correction. True at once when nothing is pending.
    bool checkEntry();

    /// Reads `text` as typed into a box that showed `shown`: the date, or an
    /// invalid QDate when it is not one. A sole day keeps the shown month and
    /// year; a day and month keep the shown year.
    static QDate readEntry(const QString &text, const QDate &shown);
    /// True when `text` can grow no further into another date: eight digits, or
    /// three separated parts whose year has four digits.
    static bool isCompleteEntry(const QString &text);

    /// The calendar, while it is open (null otherwise).
    QCalendarWidget *calendar() const { return m_calendar; }
    /// Opens the calendar on the accepted date.
    void showCalendar();

signals:
    /// The accepted date changed (typed, stepped, picked or set).
    void dateChanged(const QDate &date);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void accept(const QDate &date);
    void selectWhole();
    void step(int direction);
    void typeCharacter(QKeyEvent *event);
    void showRefusal();

    QDate m_date = QDate::currentDate();
    QString m_fieldName;
    bool m_enteredByMouse = false;
    QPointer<QCalendarWidget> m_calendar;
};

} // namespace orvane
