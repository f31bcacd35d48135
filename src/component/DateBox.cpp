#include "DateBox.h"

#include "MessageBox.h"

#include <QAction>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmapCache>
#include <QRegularExpression>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace orvane {

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.');
}

// Day, month and year as typed, each part still text.
const QRegularExpression &separatedShape()
{
    static const QRegularExpression shape(
        QStringLiteral("^(\\d{1,2})(?:[/.-](\\d{1,2})(?:[/.-](\\d{2}|\\d{4}))?)?$"));
    return shape;
}

int yearOf(const QString &typed)
{
    // Two digits stand for this century's years, as accountants write them.
    return typed.size() == 2 ? 2000 + typed.toInt() : typed.toInt();
}

// One pixmap for every box: an icon made afresh per box would leave its own
// entries in the application's pixmap cache for each window ever opened.
QIcon calendarIcon(const QStyle *style)
{
    const QString key = QStringLiteral("orvane-date-box-calendar");
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        const int size = style->pixelMetric(QStyle::PM_SmallIconSize);
        pixmap = style->standardIcon(QStyle::SP_ArrowDown).pixmap(size, size);
        QPixmapCache::insert(key, pixmap);
    }
    return QIcon(pixmap);
}

} // namespace

DateBox::DateBox(QWidget *parent)
    : QLineEdit(parent)
{
    setMaxLength(10);
    setText(m_date.toString(displayFormat()));
    setToolTip(tr("dd/MM/yyyy; Alt+Down or F4 opens the calendar"));
    // The mouse's way to the calendar; the keyboard has Alt+Down and F4.
    QAction *calendarButton = addAction(calendarIcon(style()), TrailingPosition);
    calendarButton->setToolTip(tr("Calendar (Alt+Down, F4)"));
    connect(calendarButton, &QAction::triggered, this, &DateBox::showCalendar);
}

QString DateBox::displayFormat()
{
    return QStringLiteral("dd/MM/yyyy");
}

void DateBox::setDate(const QDate &date)
{
    if (!date.isValid() || date < minimumDate() || date > maximumDate())
        return;
    accept(date);
}

bool DateBox::hasPendingEntry() const
{
    return text() != m_date.toString(displayFormat());
}

QDate DateBox::readEntry(const QString &text, const QDate &shown)
{
    const QString typed = text.trimmed();
    int day = 0;
    int month = shown.month();
    int year = shown.year();
    bool digitsOnly = !typed.isEmpty();
    for (const QChar c : typed)
        digitsOnly = digitsOnly && c.isDigit() && c.unicode() < 128;
    if (digitsOnly) {
        // Without separators the parts have their full width, or which digit
        // begins the month could not be told.
        const qsizetype n = typed.size();
        if (n != 1 && n != 2 && n != 4 && n != 6 && n != 8)
            return QDate();
        day = typed.left(n == 1 ? 1 : 2).toInt();
        if (n >= 4)
            month = typed.mid(2, 2).toInt();
        if (n >= 6)
            year = yearOf(typed.mid(4));
    } else {
        const QRegularExpressionMatch parts = separatedShape().match(typed);
        if (!parts.hasMatch())
            return QDate();
        day = parts.captured(1).toInt();
        if (parts.hasCaptured(2))
            month = parts.captured(2).toInt();
        if (parts.hasCaptured(3))
            year = yearOf(parts.captured(3));
    }
    const QDate date(year, month, day);
    if (!date.isValid() || date < minimumDate() || date > maximumDate())
        return QDate();
    return date;
}

bool DateBox::isCompleteEntry(const QString &text)
{
    const QString typed = text.trimmed();
    static const QRegularExpression eightDigits(QStringLiteral("^\\d{8}$"));
    if (eightDigits.match(typed).hasMatch())
        return true;
    const QRegularExpressionMatch parts = separatedShape().match(typed);
    return parts.hasMatch() && parts.captured(3).size() == 4;
}

bool DateBox::checkEntry()
{
    if (!hasPendingEntry())
        return true;
    const QDate date = readEntry(text(), m_date);
    if (!date.isValid()) {
        showRefusal();
        return false;
    }
    accept(date);
    return true;
}

void DateBox::showRefusal()
{
    const QString name = m_fieldName.isEmpty() ? tr("Date") : m_fieldName;
    MsgBox(tr("%1: \"%2\" is not a date. Type the day, month and year as dd/MM/yyyy.").arg(name, text()),
           vbExclamation, window()->windowTitle());
    // The text stays for correction; typing replaces it whole.
    selectWhole();
}

void DateBox::accept(const QDate &date)
{
    const bool changed = date != m_date;
    m_date = date;
    setText(m_date.toString(displayFormat()));
    if (changed)
        emit dateChanged(m_date);
}

void DateBox::selectWhole()
{
    setSelection(int(text().size()), -int(text().size()));
}

void DateBox::step(int direction)
{
    // The section under the caret, counted in what is typed so far, so that a
    // day typed alone steps as a day once accepted.
    const QString before = text().left(cursorPosition());
    const qsizetype separators = std::count_if(before.begin(), before.end(), isSeparator);
    const int section = separators > 0 ? int(std::min<qsizetype>(separators, 2))
                                       : (before.size() <= 2 ? 0 : before.size() <= 4 ? 1 : 2);
    if (!checkEntry())
        return;
    const QDate next = section == 0 ? m_date.addDays(direction)
        : section == 1              ? m_date.addMonths(direction)
                                    : m_date.addYears(direction);
    setDate(next);
    // The stepped section stays under the caret for the next step.
    setSelection(section * 3, section == 2 ? 4 : 2);
}

void DateBox::typeCharacter(QKeyEvent *event)
{
    const QString typed = event->text();
    for (const QChar c : typed) {
        if (!(c.isDigit() && c.unicode() < 128) && !isSeparator(c))
            return;   // swallowed: a date holds nothing else
    }
    // A key typed over the date as shown begins a new date.
    if (!hasPendingEntry() && !hasSelectedText())
        clear();
    QLineEdit::keyPressEvent(event);
    if (isCompleteEntry(text()))
        checkEntry();
}

void DateBox::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (key == Qt::Key_F4 || (key == Qt::Key_Down && modifiers == Qt::AltModifier)) {
        showCalendar();
        return;
    }
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && modifiers == Qt::NoModifier) {
        step(key == Qt::Key_Up ? 1 : -1);
        return;
    }
    if (key == Qt::Key_Escape && hasPendingEntry()) {
        setText(m_date.toString(displayFormat()));
        selectWhole();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (!checkEntry())
            return;
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isPrint()
        && !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        typeCharacter(event);
        return;
    }
    QLineEdit::keyPressEvent(event);
    // A date pasted whole is checked as one typed whole.
    if (hasPendingEntry() && isCompleteEntry(this->text()))
        checkEntry();
}

void DateBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // However the box is entered (a window opening on it, a message box
    // closing over it), the next date typed replaces the whole one.
    m_enteredByMouse = event->reason() == Qt::MouseFocusReason;
    selectWhole();
}

void DateBox::mousePressEvent(QMouseEvent *event)
{
    // The click that entered the box keeps the whole date selected.
    if (m_enteredByMouse && event->button() == Qt::LeftButton) {
        m_enteredByMouse = false;
        event->accept();
        return;
    }
    m_enteredByMouse = false;
    QLineEdit::mousePressEvent(event);
}

void DateBox::showCalendar()
{
    if (m_calendar)
        return;
    const QDate typed = readEntry(text(), m_date);
    // The calendar sits in a popup of its own, closed by Escape or a click
    // outside, as a drop-down list is.
    auto *popup = new QWidget(this, Qt::Popup);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(popup);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *calendar = new QCalendarWidget(popup);
    layout->addWidget(calendar);
    calendar->setMinimumDate(minimumDate());
    calendar->setMaximumDate(maximumDate());
    calendar->setSelectedDate(typed.isValid() ? typed : m_date);
    auto pick = [this, popup](const QDate &date) {
        setDate(date);
        popup->close();
        setFocus(Qt::PopupFocusReason);
    };
    connect(calendar, &QCalendarWidget::activated, this, pick);
    connect(calendar, &QCalendarWidget::clicked, this, pick);
    m_calendar = calendar;
    popup->adjustSize();
    popup->move(mapToGlobal(rect().bottomLeft()));
    popup->show();
    calendar->setFocus(Qt::PopupFocusReason);
}

} // namespace orvane
