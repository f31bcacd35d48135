#include "ZipWriter_p.h"

#include "Error.h"
#include "ExportFile.h"

#include <QDateTime>

#include <zlib.h>

namespace orvane {

namespace {

constexpr int kOutChunk = 1 << 16;
constexpr quint64 kMaxEntry = 0xFFFFFFFFu;

void put16(QByteArray &out, quint32 v)
{
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}

void put32(QByteArray &out, quint32 v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

} // namespace

ZipWriter::ZipWriter(ExportFile &out) : m_out(out), m_zip(std::make_unique<z_stream_s>())
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    m_dosDate = quint16(((qMax(d.year(), 1980) - 1980) << 9) | (d.month() << 5) | d.day());
    m_dosTime = quint16((t.hour() << 11) | (t.minute() << 5) | (t.second() / 2));
    m_buffer.resize(kOutChunk);
}

ZipWriter::~ZipWriter()
{
    if (m_inEntry)
        deflateEnd(m_zip.get());
}

void ZipWriter::beginEntry(const QByteArray &name)
{
    if (m_inEntry)
        endEntry();
    Entry e;
    e.name = name;
    e.offset = m_out.pos();
    QByteArray header;
    put32(header, 0x04034b50);
    put16(header, 20);       // version needed: deflate
    put16(header, 0x0008);   // sizes and checksum follow the data
    put16(header, 8);        // deflated
    put16(header, m_dosTime);
    put16(header, m_dosDate);
    put32(header, 0);
    put32(header, 0);
    put32(header, 0);
    put16(header, quint32(name.size()));
    put16(header, 0);
    m_out.write(header + name);
    m_entries.push_back(e);

    *m_zip = z_stream_s{};
    // Level 3: nearly the size of the default at well under half its time on a big sheet.
    if (deflateInit2(m_zip.get(), 3, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw m_out.failure(QStringLiteral("the compression could not start"));
    m_inEntry = true;
}

void ZipWriter::write(const char *data, qint64 size)
{
    Entry &e = m_entries.back();
    e.crc = quint32(crc32_z(e.crc, reinterpret_cast<const Bytef *>(data), size_t(size)));
    e.size += quint64(size);
    if (e.size > kMaxEntry)
        throw m_out.failure(QStringLiteral("the workbook would be larger than 4 GiB"));
    m_zip->next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
    m_zip->avail_in = uInt(size);
    deflateSome(Z_NO_FLUSH);
}

void ZipWriter::deflateSome(int flush)
{
    int status = Z_OK;
    do {
        m_zip->next_out = reinterpret_cast<Bytef *>(m_buffer.data());
        m_zip->avail_out = uInt(m_buffer.size());
        status = deflate(m_zip.get(), flush);
        const qint64 produced = m_buffer.size() - qint64(m_zip->avail_out);
        if (produced > 0) {
            m_out.write(m_buffer.constData(), produced);
            m_entries.back().packed += quint64(produced);
        }
    } while (m_zip->avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
}

void ZipWriter::endEntry()
{
    deflateSome(Z_FINISH);
    deflateEnd(m_zip.get());
    m_inEntry = false;
    const Entry &e = m_entries.back();
    if (e.packed > kMaxEntry)
        throw m_out.failure(QStringLiteral("the workbook would be larger than 4 GiB"));
    QByteArray descriptor;
    put32(descriptor, 0x08074b50);
    put32(descriptor, e.crc);
    put32(descriptor, quint32(e.packed));
    put32(descriptor, quint32(e.size));
    m_out.write(descriptor);
}

void ZipWriter::finish()
{
    if (m_inEntry)
        endEntry();
    const qint64 start = m_out.pos();
    if (quint64(start) > kMaxEntry)
        throw m_out.failure(QStringLiteral("the workbook would be larger than 4 GiB"));
    QByteArray dir;
    for (const Entry &e : m_entries) {
        put32(dir, 0x02014b50);
        put16(dir, 20);
        put16(dir, 20);
        put16(dir, 0x0008);
        put16(dir, 8);
        put16(dir, m_dosTime);
        put16(dir, m_dosDate);
        put32(dir, e.crc);
        put32(dir, quint32(e.packed));
        put32(dir, quint32(e.size));
        put16(dir, quint32(e.name.size()));
        put16(dir, 0);   // extra field
        put16(dir, 0);   // comment
        put16(dir, 0);   // disk
        put16(dir, 0);   // internal attributes
        put32(dir, 0);   // external attributes
        put32(dir, quint32(e.offset));
        dir += e.name;
    }
    QByteArray end;
    put32(end, 0x06054b50);
    put16(end, 0);
    put16(end, 0);
    put16(end, quint32(m_entries.size()));
    put16(end, quint32(m_entries.size()));
    put32(end, quint32(dir.size()));
    put32(end, quint32(start));
    put16(end, 0);
    m_out.write(dir + end);
}

} // namespace orvane
