#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include "Error.h"

namespace orvane {

/// The one text every export shows when its file cannot be written:
/// The report could not be saved as "<absolute path>": <the system's reason>.
QString saveFailureText(const QString &fileName, const QString &reason);

/// A file written beside its target and renamed into place by commit(), for
/// every exporter: a failure or a cancel (the object going without commit())
/// leaves any existing file untouched and no partial file behind.
///
/// Writes are gathered into blocks of 64 KiB, so many small writes cost few
/// system calls; a write the disk refuses throws Error with the system's
/// reason ("No space left on device", "File too large") and `source` as the
/// error's source.
class ExportFile
{
public:
    /// Opens the file beside `fileName`; throws Error when it cannot be created.
    ExportFile(const QString &fileName, const QString &source);
    ~ExportFile();

    ExportFile(const ExportFile &) = delete;
    ExportFile &operator=(const ExportFile &) = delete;

    void write(const char *data, qint64 size);
    void write(const QByteArray &data) { write(data.constData(), data.size()); }
    /// Bytes written so far, the block not yet on disk included.
    qint64 pos() const { return m_pos; }

    /// Puts the last block on disk and renames the file over the target.
    /// Throws Error when either fails; the target is then untouched.
    void commit();

    /// The error of a failure to save this file, for `reason`.
    Error failure(const QString &reason) const;

private:
    void flushBlock();

    QSaveFile m_file;
    QString m_fileName;
    QString m_source;
    QByteArray m_block;
    qint64 m_pos = 0;
};

} // namespace orvane
