#include "PdfExport.h"

#include "Error.h"
#include "PagePainter_p.h"
#include "Report.h"

#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>

#include <cmath>
#include <map>
#include <set>

namespace orvane {

namespace {

// Page content is written by hand rather than through QPdfWriter: its text
// path emits one positioned operator per glyph, and compressing those
// streams costs more than everything else of an export. Here a cell is one
// "Tj" of glyph ids whose advances are the font's own widths, so the page
// looks exactly as PagePainter draws it.

void appendNum(QByteArray &out, double v)
{
    qint64 i = qint64(std::llround(v * 100));
    if (i < 0) {
        out += '-';
        i = -i;
    }
    char buf[24];
    int pos = 24;
    const qint64 whole = i / 100;
    const int frac = int(i % 100);
    if (frac != 0) {
        if (frac % 10 != 0)
            buf[--pos] = char('0' + frac % 10);
        buf[--pos] = char('0' + frac / 10);
        buf[--pos] = '.';
    }
    qint64 w = whole;
    do {
        buf[--pos] = char('0' + w % 10);
        w /= 10;
    } while (w > 0);
    out.append(buf + pos, 24 - pos);
    out += ' ';
}

void appendColor(QByteArray &out, ReportColor c, const char *op)
{
    const uint v = uint(c);
    for (int shift = 0; shift <= 16; shift += 8) {
        const int comp = int((v >> shift) & 0xFF);
        const double f = comp / 255.0;
        qint64 i = qint64(std::llround(f * 1000));
        if (i == 1000) {
            out += "1 ";
        } else if (i == 0) {
            out += "0 ";
        } else {
            char buf[6] = {'.', char('0' + i / 100), char('0' + (i / 10) % 10), char('0' + i % 10), ' ', 0};
            out += buf;
        }
    }
    out += op;
    out += '\n';
}

QByteArray deflate(const QByteArray &data)
{
    // qCompress prefixes the length; the rest is the zlib stream PDF wants.
    return qCompress(data, 3).mid(4);
}

QByteArray hex4(quint32 v)
{
    static const char digits[] = "0123456789ABCDEF";
    char b[4] = {digits[(v >> 12) & 15], digits[(v >> 8) & 15], digits[(v >> 4) & 15], digits[v & 15]};
    return QByteArray(b, 4);
}

quint32 be32(const char *p)
{
    return (quint32(uchar(p[0])) << 24) | (quint32(uchar(p[1])) << 16) | (quint32(uchar(p[2])) << 8) | quint32(uchar(p[3]));
}

void putBe(QByteArray &out, quint32 v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out += char((v >> (8 * i)) & 0xFF);
}

quint16 be16(const QByteArray &d, int at)
{
    return quint16((uchar(d[at]) << 8) | uchar(d[at + 1]));
}

void setBe16(QByteArray &d, int at, quint16 v)
{
    d[at] = char(v >> 8);
    d[at + 1] = char(v & 0xFF);
}

// Keeps the outlines of the glyphs in `used` (and the parts of composite
// glyphs) and empties the rest; glyph numbers stay as they are, so the
// content streams and widths need no renumbering.
bool subsetGlyphs(QByteArray &glyf, QByteArray &loca, QByteArray &head, int numGlyphs, std::set<quint32> used)
{
    if (head.size() < 54 || numGlyphs <= 0)
        return false;
    const bool longOffsets = be16(head, 50) == 1;
    if (loca.size() < (numGlyphs + 1) * (longOffsets ? 4 : 2))
        return false;
    auto offset = [&](int g) -> quint32 {
        return longOffsets ? be32(loca.constData() + 4 * g) : quint32(be16(loca, 2 * g)) * 2;
    };
    used.insert(0);
    std::vector<quint32> work(used.begin(), used.end());
    while (!work.empty()) {
        const quint32 g = work.back();
        work.pop_back();
        if (g >= quint32(numGlyphs))
            continue;
        const quint32 start = offset(int(g)), end = offset(int(g) + 1);
        if (end <= start + 10 || end > quint32(glyf.size()))
            continue;
        if (qint16(be16(glyf, int(start))) >= 0)
            continue;
        int at = int(start) + 10;
        for (;;) {
            if (at + 4 > int(end))
                break;
            const quint16 flags = be16(glyf, at);
            const quint16 part = be16(glyf, at + 2);
            if (used.insert(part).second)
                work.push_back(part);
            at += 4 + ((flags & 0x0001) ? 4 : 2);
            if (flags & 0x0008)
                at += 2;
            else if (flags & 0x0040)
                at += 4;
            else if (flags & 0x0080)
                at += 8;
            if (!(flags & 0x0020))
                break;
        }
    }
    QByteArray newGlyf, newLoca;
    for (int g = 0; g < numGlyphs; ++g) {
        putBe(newLoca, quint32(newGlyf.size()), 4);
        if (used.count(quint32(g))) {
            const quint32 start = offset(g), end = offset(g + 1);
            if (end > start && end <= quint32(glyf.size()))
                newGlyf += glyf.mid(int(start), int(end - start));
            while (newGlyf.size() % 4)
                newGlyf += char(0);
        }
    }
    putBe(newLoca, quint32(newGlyf.size()), 4);
    glyf = newGlyf;
    loca = newLoca;
    setBe16(head, 50, 1);
    return true;
}

// The font program, rebuilt from its tables with only the glyphs in use.
QByteArray trueTypeFile(const QRawFont &font, const std::set<quint32> &used)
{
    static const char *const tags[] = {"OS/2", "cmap", "cvt ", "fpgm", "glyf", "head", "hhea",
                                       "hmtx", "loca", "maxp", "name", "post", "prep"};
    std::map<QByteArray, QByteArray> tables;
    for (const char *tag : tags) {
        const QByteArray t = font.fontTable(tag);
        if (!t.isEmpty())
            tables[QByteArray(tag, 4)] = t;
    }
    const QByteArray maxp = tables["maxp"];
    if (maxp.size() >= 6)
        subsetGlyphs(tables["glyf"], tables["loca"], tables["head"], be16(maxp, 4), used);
    for (auto it = tables.begin(); it != tables.end();) {
        if (it->second.isEmpty())
            it = tables.erase(it);
        else
            ++it;
    }
    const int n = int(tables.size());
    int pow2 = 1, log2 = 0;
    while (pow2 * 2 <= n) {
        pow2 *= 2;
        ++log2;
    }
    QByteArray out;
    putBe(out, 0x00010000, 4);
    putBe(out, quint32(n), 2);
    putBe(out, quint32(pow2 * 16), 2);
    putBe(out, quint32(log2), 2);
    putBe(out, quint32(n * 16 - pow2 * 16), 2);
    quint32 offset = quint32(12 + 16 * n);
    QByteArray body;
    for (auto &t : tables) {
        QByteArray data = t.second;
        while (data.size() % 4)
            data += char(0);
        quint32 sum = 0;
        for (int i = 0; i < data.size(); i += 4)
            sum += be32(data.constData() + i);
        out += t.first;
        putBe(out, sum, 4);
        putBe(out, offset, 4);
        putBe(out, quint32(t.second.size()), 4);
        offset += quint32(data.size());
        body += data;
    }
    return out + body;
}

QByteArray pdfName(const FontSpec &face)
{
    QByteArray name;
    for (QChar c : face.family) {
        if (c.isLetterOrNumber() && c.unicode() < 128)
            name += char(c.unicode());
    }
    if (name.isEmpty())
        name = "Font";
    if (face.bold || face.italic)
        name += QByteArray("-") + (face.bold ? "Bold" : "") + (face.italic ? "Italic" : "");
    return name;
}

QByteArray utf16Hex(const QString &s)
{
    QByteArray out = "<FEFF";
    for (QChar c : s)
        out += hex4(c.unicode());
    return out + '>';
}

// A write to the file failed; exportPdf turns it into the error the user reads.
struct WriteFailure
{
    QString reason;
};

class PdfFileWriter final : public Canvas
{
public:
    PdfFileWriter(QIODevice &out, PageRenderer &renderer) : m_out(out), m_renderer(renderer)
    {
        const QSizeF mm = renderer.document().layout().pageSizeMm();
        m_width = mm.width() * kPtPerMm;
        m_height = mm.height() * kPtPerMm;
        write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
        m_catalog = reserve();
        m_pagesId = reserve();
        m_resources = reserve();
    }

    void page(int index)
    {
        m_content.clear();
        m_fill = m_stroke = -2;
        m_lineWidth = -1;
        m_renderer.render(*this, index);
        const QByteArray packed = deflate(m_content);
        const int contents = reserve();
        begin(contents);
        write("<< /Length " + QByteArray::number(packed.size()) + " /Filter /FlateDecode >>\nstream\n");
        write(packed);
        write("\nendstream\nendobj\n");
        const int pageId = reserve();
        begin(pageId);
        QByteArray dict = "<< /Type /Page /Parent " + ref(m_pagesId) + " /MediaBox [0 0 ";
        appendNum(dict, m_width);
        appendNum(dict, m_height);
        dict += "] /Resources " + ref(m_resources) + " /Contents " + ref(contents) + " >>\nendobj\n";
        write(dict);
        m_pages.push_back(pageId);
    }

    void finish(const QString &title)
    {
        // Fonts: one Type0 font per face used, the whole font program embedded.
        QByteArray fontDict, imageDict;
        std::vector<FontMetricsTable> &fonts = m_renderer.fonts();
        for (auto &used : m_fontIds) {
            FontMetricsTable &fm = fonts[size_t(used.first)];
            const int type0 = used.second;
            // Every size of a face shares one embedded font and one glyph list.
            std::map<quint32, char16_t> glyphs;
            for (FontMetricsTable &other : fonts) {
                if (faceIndex(int(&other - fonts.data())) == used.first)
                    glyphs.insert(other.unicodeOf.keyValueBegin(), other.unicodeOf.keyValueEnd());
            }
            std::set<quint32> keep;
            for (const auto &g : glyphs)
                keep.insert(g.first);
            // A subset font is named with a six-letter tag of its own.
            QByteArray tag;
            quint32 h = quint32(qHash(QByteArray::number(type0) + QByteArray::number(int(keep.size()))));
            for (int i = 0; i < 6; ++i, h /= 26)
                tag += char('A' + h % 26);
            const QByteArray name = tag + '+' + pdfName(fm.face);
            const int cid = reserve(), descriptor = reserve(), file = reserve(), toUnicode = reserve();

            begin(type0);
            write("<< /Type /Font /Subtype /Type0 /BaseFont /" + name + " /Encoding /Identity-H /DescendantFonts [" +
                  ref(cid) + "] /ToUnicode " + ref(toUnicode) + " >>\nendobj\n");

            QByteArray widths = "[";
            for (const auto &g : glyphs) {
                QPointF adv;
                const quint32 index = g.first;
                fm.design.advancesForGlyphIndexes(&index, &adv, 1, QRawFont::UseDesignMetrics);
                widths += QByteArray::number(index) + " [" + QByteArray::number(qRound(adv.x())) + "] ";
            }
            widths += "]";
            begin(cid);
            write("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + name +
                  " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor " +
                  ref(descriptor) + " /DW 1000 /W " + widths + " /CIDToGIDMap /Identity >>\nendobj\n");

            begin(descriptor);
            write("<< /Type /FontDescriptor /FontName /" + name + " /Flags 32 /FontBBox [-1000 -400 2000 1200] /ItalicAngle " +
                  (fm.face.italic ? "-12" : "0") + " /Ascent " + QByteArray::number(qRound(fm.ascent)) + " /Descent -" +
                  QByteArray::number(qRound(fm.descent)) + " /CapHeight " + QByteArray::number(qRound(fm.ascent)) +
                  " /StemV 80 /FontFile2 " + ref(file) + " >>\nendobj\n");

            const QByteArray program = trueTypeFile(fm.design, keep);
            const QByteArray packed = deflate(program);
            begin(file);
            write("<< /Length " + QByteArray::number(packed.size()) + " /Length1 " + QByteArray::number(program.size()) +
                  " /Filter /FlateDecode >>\nstream\n");
            write(packed);
            write("\nendstream\nendobj\n");

            QByteArray cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                              "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                              "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                              "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
            auto it = glyphs.begin();
            while (it != glyphs.end()) {
                QByteArray block;
                int count = 0;
                for (; it != glyphs.end() && count < 100; ++it, ++count)
                    block += '<' + hex4(it->first) + "> <" + hex4(it->second) + ">\n";
                cmap += QByteArray::number(count) + " beginbfchar\n" + block + "endbfchar\n";
            }
            cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
            begin(toUnicode);
            write("<< /Length " + QByteArray::number(cmap.size()) + " >>\nstream\n" + cmap + "\nendstream\nendobj\n");
            fontDict += "/F" + QByteArray::number(used.first) + ' ' + ref(type0) + ' ';
        }
        for (auto &img : m_imageIds)
            imageDict += "/Im" + QByteArray::number(img.second.second) + ' ' + ref(img.second.first) + ' ';

        begin(m_resources);
        write("<< /ProcSet [/PDF /Text /ImageC] /Font << " + fontDict + ">> /XObject << " + imageDict + ">> >>\nendobj\n");

        QByteArray kids;
        for (int id : m_pages)
            kids += ref(id) + ' ';
        begin(m_pagesId);
        write("<< /Type /Pages /Count " + QByteArray::number(int(m_pages.size())) + " /Kids [" + kids + "] >>\nendobj\n");

        begin(m_catalog);
        write("<< /Type /Catalog /Pages " + ref(m_pagesId) + " >>\nendobj\n");
        const int info = reserve();
        begin(info);
        write("<< /Title " + utf16Hex(title) + " /Producer (Orvane) /Creator (Orvane) >>\nendobj\n");

        const qint64 xref = m_pos;
        QByteArray table = "xref\n0 " + QByteArray::number(int(m_offsets.size()) + 1) + "\n0000000000 65535 f \n";
        for (qint64 off : m_offsets)
            table += QByteArray::number(off).rightJustified(10, '0') + " 00000 n \n";
        table += "trailer\n<< /Size " + QByteArray::number(int(m_offsets.size()) + 1) + " /Root " + ref(m_catalog) +
                 " /Info " + ref(info) + " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
        write(table);
    }

    // Canvas
    void fillRect(const QRectF &r, ReportColor color) override
    {
        setFill(color);
        rect(r);
        m_content += "f\n";
    }

    void line(const QPointF &a, const QPointF &b, double width, ReportColor color) override
    {
        setStroke(color, width);
        appendNum(m_content, a.x());
        appendNum(m_content, m_height - a.y());
        m_content += "m ";
        appendNum(m_content, b.x());
        appendNum(m_content, m_height - b.y());
        m_content += "l S\n";
    }

    void box(const QRectF &r, double width, ReportColor stroke, ReportColor fill) override
    {
        if (fill >= 0)
            setFill(fill);
        if (width > 0)
            setStroke(stroke, width);
        if (fill < 0 && width <= 0)
            return;
        rect(r);
        m_content += fill >= 0 ? (width > 0 ? "B\n" : "f\n") : "S\n";
    }

    void image(const QRectF &r, const QImage &image, const QString &key) override
    {
        auto it = m_imageIds.find(key);
        if (it == m_imageIds.end()) {
            // Flattened on white: the page is white paper.
            QImage rgb(image.size(), QImage::Format_RGB888);
            rgb.fill(Qt::white);
            {
                QPainter p(&rgb);
                p.drawImage(0, 0, image);
            }
            QByteArray pixels;
            pixels.reserve(rgb.width() * rgb.height() * 3);
            for (int y = 0; y < rgb.height(); ++y)
                pixels.append(reinterpret_cast<const char *>(rgb.constScanLine(y)), rgb.width() * 3);
            const QByteArray packed = deflate(pixels);
            const int id = reserve();
            begin(id);
            write("<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(rgb.width()) + " /Height " +
                  QByteArray::number(rgb.height()) + " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode /Length " +
                  QByteArray::number(packed.size()) + " >>\nstream\n");
            write(packed);
            write("\nendstream\nendobj\n");
            it = m_imageIds.emplace(key, std::make_pair(id, int(m_imageIds.size()))).first;
        }
        m_content += "q ";
        appendNum(m_content, r.width());
        m_content += "0 0 ";
        appendNum(m_content, r.height());
        appendNum(m_content, r.x());
        appendNum(m_content, m_height - r.bottom());
        m_content += "cm /Im" + QByteArray::number(it->second.second) + " Do Q\n";
    }

    void text(const PlacedText &t, const quint32 *glyphs, const float *, ReportColor color, const QRectF *clip) override
    {
        const int face = faceIndex(t.font);
        const int count = int(t.text.size());
        const QPointF &origin = t.origin;
        if (m_fontIds.find(face) == m_fontIds.end())
            m_fontIds.emplace(face, reserve());
        if (clip) {
            m_content += "q ";
            rect(*clip);
            m_content += "W n\n";
            m_fill = -2;
        }
        setFill(color);
        m_content += "BT /F";
        m_content += QByteArray::number(face);
        m_content += ' ';
        appendNum(m_content, t.size);
        m_content += "Tf ";
        appendNum(m_content, origin.x());
        appendNum(m_content, m_height - origin.y());
        m_content += "Td <";
        static const char digits[] = "0123456789ABCDEF";
        for (int i = 0; i < count; ++i) {
            const quint32 g = glyphs[i];
            const char b[4] = {digits[(g >> 12) & 15], digits[(g >> 8) & 15], digits[(g >> 4) & 15], digits[g & 15]};
            m_content.append(b, 4);
        }
        m_content += "> Tj ET\n";
        if (clip) {
            m_content += "Q\n";
            m_fill = m_stroke = -2;
            m_lineWidth = -1;
        }
    }

private:
    // The first font index with the same family, weight and slant.
    int faceIndex(int font) const
    {
        const std::vector<FontMetricsTable> &fonts = m_renderer.fonts();
        const FontSpec &f = fonts[size_t(font)].face;
        for (int i = 0; i < font; ++i) {
            const FontSpec &o = fonts[size_t(i)].face;
            if (o.family == f.family && o.bold == f.bold && o.italic == f.italic)
                return i;
        }
        return font;
    }

    int reserve()
    {
        m_offsets.push_back(0);
        return int(m_offsets.size());
    }
    void begin(int id)
    {
        m_offsets[size_t(id - 1)] = m_pos;
        write(QByteArray::number(id) + " 0 obj\n");
    }
    void write(const QByteArray &data)
    {
        if (m_out.write(data) != data.size()) {
            // A short write (the disk filling up) carries no reason; writing
            // what is still buffered fails again, with the system's reason.
            if (auto *file = qobject_cast<QFileDevice *>(&m_out))
                file->flush();
            throw WriteFailure{m_out.errorString()};
        }
        m_pos += data.size();
    }
    void write(const char *data) { write(QByteArray(data)); }
    static QByteArray ref(int id) { return QByteArray::number(id) + " 0 R"; }

    void rect(const QRectF &r)
    {
        appendNum(m_content, r.x());
        appendNum(m_content, m_height - r.bottom());
        appendNum(m_content, r.width());
        appendNum(m_content, r.height());
        m_content += "re ";
    }
    void setFill(ReportColor c)
    {
        if (c != m_fill) {
            appendColor(m_content, c, "rg");
            m_fill = c;
        }
    }
    void setStroke(ReportColor c, double width)
    {
        if (c != m_stroke) {
            appendColor(m_content, c, "RG");
            m_stroke = c;
        }
        if (width != m_lineWidth) {
            appendNum(m_content, width);
            m_content += "w\n";
            m_lineWidth = width;
        }
    }

    QIODevice &m_out;
    PageRenderer &m_renderer;
    qint64 m_pos = 0;
    std::vector<qint64> m_offsets;
    std::vector<int> m_pages;
    std::map<int, int> m_fontIds;                          // face (first font index) -> Type0 object
    std::map<QString, std::pair<int, int>> m_imageIds;     // key -> object, resource number
    int m_catalog = 0, m_pagesId = 0, m_resources = 0;
    double m_width = 0, m_height = 0;
    QByteArray m_content;
    ReportColor m_fill = -2, m_stroke = -2;
    double m_lineWidth = -1;
};

} // namespace

bool exportPdf(const Report &report, const QString &file, const ExportProgress &progress)
{
    return exportPdf(report.paginate(), file, progress);
}

bool exportPdf(const Document &document, const QString &file, const ExportProgress &progress)
{
    const QString source = QStringLiteral("Report engine");
    const auto failure = [&](const QString &reason) {
        return Error(QStringLiteral("The report could not be saved as \"%1\": %2")
                         .arg(QFileInfo(file).absoluteFilePath(), reason),
                     source);
    };
    // QSaveFile writes beside the target and renames on commit: a cancelled
    // or failed export leaves no half-written file behind.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        throw failure(out.errorString());
    try {
        PageRenderer renderer(document);
        PdfFileWriter writer(out, renderer);
        const int total = document.pageCount();
        for (int page = 0; page < total; ++page) {
            writer.page(page);
            if (progress && !progress(page + 1, total)) {
                out.cancelWriting();
                return false;
            }
        }
        const ReportContent &c = *document.content;
        writer.finish(!c.documentTitle.isEmpty() ? c.documentTitle : c.layout.name);
        // commit() does not notice when the last buffered bytes fail to reach
        // the disk (a full disk): it would put a cut-off file in place.
        if (!out.flush()) {
            out.flush();   // as in PdfFileWriter::write: learn the reason
            throw WriteFailure{out.errorString()};
        }
    } catch (const WriteFailure &f) {
        out.cancelWriting();
        throw failure(f.reason);
    } catch (...) {
        out.cancelWriting();
        throw;
    }
    if (!out.commit())
        throw failure(out.errorString());
    return true;
}

} // namespace orvane
