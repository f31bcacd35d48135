#pragma once

// Files as the tests read and write them, and the outside readers of PDF and
// XLSX output. A reader whose program is missing returns a null QString, so
// that the caller can skip.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace orvane::test {

/// The whole file; empty when it cannot be read.
inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// Writes `bytes` over the file in place from `offset` (all of it when
/// offset < 0), so that a connection holding the file open sees them as it
/// would see another program's writes. False on any failure.
inline bool writeBytes(const QString &path, const QByteArray &bytes, qint64 offset = -1)
{
    QFile f(path);
    return f.open(offset < 0 ? QIODevice::WriteOnly | QIODevice::Truncate : QIODevice::ReadWrite)
        && f.seek(std::max<qint64>(offset, 0)) && f.write(bytes) == bytes.size();
}

/// The names of the files in `dir`, hidden ones included, without `except`.
inline QStringList filesIn(const QString &dir, const QString &except = QString())
{
    QStringList names = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.removeAll(except);
    return names;
}

/// The standard output of `program` run with `arguments`; null when the
/// program is not installed, "<timed out>" after a minute.
inline QString toolOutput(const QString &program, const QStringList &arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return QString();
    QProcess p;
    p.start(path, arguments);
    return p.waitForFinished(60000) ? QString::fromUtf8(p.readAllStandardOutput()) : QStringLiteral("<timed out>");
}

/// The text of every page of a PDF, runs of blanks made one (the reader lays
/// centred text out again); null without pdftotext.
inline QString pdfText(const QString &pdf)
{
    const QString text = toolOutput(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    return text.isNull() ? text : text.simplified();
}

/// One member of a zip archive (an XLSX sheet), with &quot; read as a quote;
/// null without unzip.
inline QString zipMember(const QString &zip, const QString &member)
{
    QString text = toolOutput(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, member});
    return text.isNull() ? text : text.replace(QLatin1String("&quot;"), QLatin1String("\""));
}

} // namespace orvane::test
