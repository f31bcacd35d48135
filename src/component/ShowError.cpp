#include "ShowError.h"

#include "Error.h"
#include "MessageBox.h"

#include <QtDebug>

#include <exception>

namespace orvane {

namespace {

const QString componentSource = QStringLiteral("Orvane");

QString orUnknown(const QString &description)
{
    return description.isEmpty() ? QStringLiteral("Unknown error") : description;
}

} // namespace

void ShowError()
{
    QString description;
    QString source = componentSource;
    const std::exception_ptr current = std::current_exception();
    try {
        if (current)
            std::rethrow_exception(current);
        description = QStringLiteral("Unknown error");
    } catch (const Error &e) {
        description = e.description();
        if (!e.source().isEmpty())
            source = e.source();
    } catch (const std::exception &e) {
        description = QString::fromLocal8Bit(e.what());
    } catch (...) {
        description = QStringLiteral("Unknown error");
    }
    try {
        MsgBox(orUnknown(description), vbCritical, source);
    } catch (...) {
        // The error report is the last resort: a failing box must not throw
        // into the caller's catch block.
        qWarning().noquote() << source << ":" << description;
    }
}

} // namespace orvane
