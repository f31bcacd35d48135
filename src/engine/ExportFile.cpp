#include "ExportFile.h"

#include "Error.h"

#include <QFileInfo>

namespace orvane {

namespace {

constexpr int kBlockSize = 1 << 16;

} // namespace

QString saveFailureText(const QString &fileName, const QString &reason)
{
    return QStringLiteral("The report could not be saved as \"%1\": %2")
        .arg(QFileInfo(fileName).absoluteFilePath(), reason);
}

ExportFile::ExportFile(const QString &fileName, const QString &source)
    : m_file(fileName)
    , m_fileName(fileName)
    , m_source(source)
{
    // Unbuffered: the blocks are large already, and a failure shows at the
    // write that met it. A buffered tail that failed to reach a full disk
    // would go unnoticed by commit(), which would put the cut-off file in place.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw failure(m_file.errorString());
    m_block.reserve(kBlockSize);
}

ExportFile::~ExportFile()
{
    // Without commit() the file beside the target goes with m_file.
    m_file.cancelWriting();
}

void ExportFile::write(const char *data, qint64 size)
{
    m_pos += size;
    if (m_block.size() + size < kBlockSize) {
        m_block.append(data, size);
        return;
    }
    flushBlock();
    if (size >= kBlockSize) {
        m_block = QByteArray::fromRawData(data, int(size));
        flushBlock();
    } else {
        m_block.append(data, size);
    }
}

void ExportFile::flushBlock()
{
    // A short write (the disk filling up) carries no reason; writing the rest
    // either completes or fails with the system's reason.
    qint64 done = 0;
    while (done < m_block.size()) {
        const qint64 n = m_file.write(m_block.constData() + done, m_block.size() - done);
        if (n <= 0) {
            const QString reason = m_file.errorString();
            m_block.clear();
            m_file.cancelWriting();
            throw failure(reason);
        }
        done += n;
    }
    m_block.clear();
    m_block.reserve(kBlockSize);
}

void ExportFile::commit()
{
    flushBlock();
    if (!m_file.commit())
        throw failure(m_file.errorString());
}

Error ExportFile::failure(const QString &reason) const
{
    return Error(saveFailureText(m_fileName, reason), m_source);
}

} // namespace orvane
