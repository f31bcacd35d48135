#pragma once

#include <QByteArray>

#include <memory>
#include <vector>

struct z_stream_s;

namespace orvane {

class ExportFile;

/// Writes a zip archive into an ExportFile one entry after the other, each
/// deflated as it is written, so an entry of any length takes little memory.
/// Sizes and checksums follow each entry (a data descriptor) and the central
/// directory at the end. Entries are limited to 4 GiB. Throws Error (through
/// the file) when a write fails.
class ZipWriter
{
public:
    explicit ZipWriter(ExportFile &out);
    ~ZipWriter();

    ZipWriter(const ZipWriter &) = delete;
    ZipWriter &operator=(const ZipWriter &) = delete;

    /// Starts entry `name` (a path inside the archive, "xl/workbook.xml"); ends the one before.
    void beginEntry(const QByteArray &name);
    void write(const char *data, qint64 size);
    void write(const QByteArray &data) { write(data.constData(), data.size()); }
    /// Ends the last entry and writes the central directory.
    void finish();

private:
    struct Entry
    {
        QByteArray name;
        qint64 offset = 0;
        quint32 crc = 0;
        quint64 packed = 0;
        quint64 size = 0;
    };

    void endEntry();
    void deflateSome(int flush);

    ExportFile &m_out;
    std::unique_ptr<z_stream_s> m_zip;
    std::vector<Entry> m_entries;
    bool m_inEntry = false;
    QByteArray m_buffer;
    quint16 m_dosTime = 0, m_dosDate = 0;
};

} // namespace orvane
