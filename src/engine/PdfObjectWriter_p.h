#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace orvane {

class ExportFile;

/// Appends `v` with at most two decimals and a trailing blank ("12.5 ").
void appendPdfNumber(QByteArray &out, double v);
/// Text as a PDF text string: plain ASCII as a literal, (a \(b\)), anything
/// else in UTF-16 with its byte order mark, <FEFF...>.
QByteArray pdfTextString(const QString &text);
/// Four upper-case hex digits of the low 16 bits of `v`.
QByteArray hex4(quint32 v);
/// The zlib stream of `data`, as /FlateDecode wants it.
QByteArray pdfDeflate(const QByteArray &data);

/// One entry of the document outline (bookmarks).
struct PdfBookmark
{
    QString title;
    int pageObject = 0;    // object number of the page it points at
    double top = 0;        // points from the page's bottom edge, the top of the view
    int level = 0;         // 0 for the outermost; an entry nests under the last one of a lower level
};

/// Writes numbered PDF objects one after the other and, at the end, their
/// cross-reference table. Object numbers start at 1; reserve() hands one out
/// before its object is written, so objects can refer forward.
class PdfObjectWriter
{
public:
    /// Writes the file header.
    explicit PdfObjectWriter(ExportFile &out);

    int reserve();
    /// Starts object `id` ("id 0 obj"); the caller writes its body and "endobj".
    void begin(int id);
    /// A whole object: `id 0 obj`, `body`, `endobj`.
    void object(int id, const QByteArray &body);
    /// A stream object; `packed` tells whether `data` is deflated already.
    /// `extra` adds keys to its dictionary.
    void stream(int id, const QByteArray &data, bool packed, const QByteArray &extra = {});
    void write(const QByteArray &data);

    /// The outline of `bookmarks`, nested by level, each entry showing its
    /// page at its top. Returns the outline's object number, 0 when there are none.
    int outline(const std::vector<PdfBookmark> &bookmarks);

    /// The cross-reference table and the trailer naming `catalog` and `info`.
    void finish(int catalog, int info);

    static QByteArray ref(int id) { return QByteArray::number(id) + " 0 R"; }

private:
    ExportFile &m_out;
    std::vector<qint64> m_offsets;   // per object, where it starts in the file
};

} // namespace orvane
