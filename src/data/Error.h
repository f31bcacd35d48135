#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace orvane {

/// The one error type of the data layer, the engine and the component.
/// `description()` is the text the user reads (for a database failure, the
/// database's own message); `source()` names who raised it (the driver or layer)
/// and becomes the title of the error report.
class Error : public std::exception
{
public:
    Error(QString description, QString source);

    const QString &description() const noexcept { return m_description; }
    const QString &source() const noexcept { return m_source; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_description;
    QString m_source;
    QByteArray m_what;
};

} // namespace orvane
