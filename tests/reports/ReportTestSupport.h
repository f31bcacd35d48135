#pragma once

// Drivers and readers shared by the report window tests.

#include "Document.h"
#include "LookupDialog.h"
#include "Printing.h"
#include "Recordset.h"
#include "Report.h"
#include "ReportWindow.h"
#include "RptReportViewer.h"
#include "SharedState.h"
#include "ViewerPresenter.h"

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>

namespace orvane::test {

inline const QDate kMarchFirst(2024, 3, 1);
inline const QDate kMarchLast(2024, 3, 31);

/// The text a text object shows now (after SetText), read from the report's
/// content; a null QString when the layout has no such object.
inline QString objectText(const Report &report, const QString &name)
{
    const std::shared_ptr<const ReportContent> content = report.content();
    for (const Section &section : content->layout.sections) {
        for (const LayoutObject &object : section.objects) {
            if (object.name == name)
                return object.text;
        }
    }
    return QString();
}

/// Every row of `rs` as one line: the blank-separated `columns`' values,
/// numbers in shortest form ("4.5", "100"), text as it is.
inline QStringList rowLines(Recordset &rs, const QString &columns)
{
    QStringList lines;
    if (rs.State() != Recordset::adStateOpen)
        return lines;
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
        QStringList cells;
        for (const QString &column : columns.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QVariant v = rs.Fields(column);
            bool isNumber = false;
            const double d = v.toDouble(&isNumber);
            cells << (isNumber && v.typeId() != QMetaType::QString ? QString::number(d) : v.toString());
        }
        lines << cells.join(QLatin1Char(' '));
    }
    return lines;
}

/// `lines` with each run of lines that share their first word sorted: rows
/// the query orders only by that key come in the database's order within it.
inline QStringList tieSorted(QStringList lines)
{
    for (int start = 0; start < lines.size();) {
        const QString key = lines.at(start).section(QLatin1Char(' '), 0, 0);
        int end = start + 1;
        while (end < lines.size() && lines.at(end).section(QLatin1Char(' '), 0, 0) == key)
            ++end;
        std::sort(lines.begin() + start, lines.begin() + end);
        start = end;
    }
    return lines;
}

/// The viewer the window's last Preview opened (null when none is open).
inline RptReportViewer *lastViewer(const ReportWindow *window)
{
    return qobject_cast<RptReportViewer *>(window->lastViewer());
}

/// Shows the shared instance of window kind W, active, with the range set;
/// Previews show in viewers, as under the component's public object.
template<class W>
W *openReportWindow(QDate from = kMarchFirst, QDate to = kMarchLast)
{
    ViewerPresenter::install();
    W *window = SharedState::current().window<W>();
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        qWarning("window did not become active");
    window->fromDate()->setDate(from);
    window->toDate()->setDate(to);
    return window;
}

/// Types `code` into the window's code box and confirms it with Enter, as a user does.
template<class W>
void typeCode(W *window, const QString &code)
{
    window->codeBox()->setFocus();
    QTest::keyClicks(window->codeBox(), code);
    QTest::keyClick(window->codeBox(), Qt::Key_Return);
}

/// Runs `check` on each modal top-level widget of type T that comes up (a
/// modal viewer, a lookup dialog; `check` may answer it), then closes it, so
/// the modal show returns to the test. Closing a lookup dialog cancels it.
template<class T>
class ModalCloser : public QObject
{
public:
    explicit ModalCloser(std::function<void(T *)> check = {})
        : m_check(std::move(check))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                T *t = qobject_cast<T *>(w);
                if (t && t->isVisible() && t->isModal() && !m_seen.contains(t)) {
                    m_seen << t;
                    ++shown;
                    owners << t->parentWidget();
                    if (m_check)
                        m_check(t);
                    t->close();
                }
            }
        });
        m_timer.start(10);
    }
    int shown = 0;
    QList<QPointer<QWidget>> owners;   // each one's parent as it came up

private:
    std::function<void(T *)> m_check;
    QList<QPointer<T>> m_seen;
    QTimer m_timer;
};

/// Deletes every window of kind A or B still there (deleting one may take others with it).
template<class A, class B>
void deleteWindows()
{
    QList<QPointer<QWidget>> windows;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<A *>(w) || qobject_cast<B *>(w))
            windows << w;
    }
    for (const QPointer<QWidget> &w : windows)
        delete w.data();
}

} // namespace orvane::test
