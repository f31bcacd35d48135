#pragma once

// Drivers for the report window frame tests: a fixed default date, and the
// modal lookup dialog answered as a user would.

#include "LookupDialog.h"
#include "SharedState.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace orvane::test {

/// The default From date the tests hand the windows, and how often it was read.
class FixedDateProvider : public DefaultDateProvider
{
public:
    explicit FixedDateProvider(QDate day) : m_day(day) {}
    QDate date() const override
    {
        ++reads;
        return m_day;
    }
    mutable int reads = 0;

private:
    QDate m_day;
};

/// Answers each lookup dialog that comes up modally with `answer` (select a
/// vendor by name, or cancel), and counts them with the owner each had.
class LookupDriver : public QObject
{
public:
    enum class Answer { Cancel, Pick };

    explicit LookupDriver(Answer answer = Answer::Cancel, QString pickName = {})
        : m_answer(answer)
        , m_pickName(std::move(pickName))
    {
        connect(&m_timer, &QTimer::timeout, this, &LookupDriver::poll);
        m_timer.start(5);
    }

    int opened = 0;
    int unexpected = 0;   // modal boxes that were no lookup dialog
    QList<QPointer<QWidget>> owners;

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        auto *dialog = qobject_cast<LookupDialog *>(modal);
        if (!dialog) {
            // Any other modal box would block the test: close it and count it.
            if (auto *other = qobject_cast<QDialog *>(modal); other && other->isVisible()) {
                ++unexpected;
                other->reject();
            }
            return;
        }
        if (!dialog->isVisible())
            return;
        ++opened;
        owners << dialog->parentWidget();
        if (m_answer == Answer::Cancel) {
            dialog->reject();
            return;
        }
        dialog->filterBox()->setText(m_pickName);
        dialog->selectButton()->click();
        if (dialog->isVisible())
            dialog->reject();   // nothing matched: never leave a test blocked
    }

    Answer m_answer;
    QString m_pickName;
    QTimer m_timer;
};


} // namespace orvane::test
