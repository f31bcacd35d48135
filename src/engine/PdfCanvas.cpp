#include "PdfCanvas_p.h"

#include "FontSubset_p.h"
#include "PdfObjectWriter_p.h"

#include <QPainter>

#include <cmath>
#include <set>

namespace orvane {

namespace {

void appendColor(QByteArray &out, ReportColor c, const char *op)
{
    const uint v = uint(c);
    for (int shift = 0; shift <= 16; shift += 8) {
        const int comp = int((v >> shift) & 0xFF);
        const qint64 i = qint64(std::llround(comp / 255.0 * 1000));
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

// The map from glyph ids back to text, so that the PDF's text can be searched and copied.
QByteArray toUnicodeCMap(const std::map<quint32, char16_t> &glyphs)
{
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
    return cmap + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

} // namespace

PdfCanvas::PdfCanvas(PdfObjectWriter &writer, PageRenderer &renderer) : m_writer(writer), m_renderer(renderer)
{
    const QSizeF mm = renderer.document().layout().pageSizeMm();
    m_width = mm.width() * kPtPerMm;
    m_height = mm.height() * kPtPerMm;
    m_pagesId = writer.reserve();
    m_resources = writer.reserve();
}

int PdfCanvas::page(int index)
{
    m_content.clear();
    m_fill = m_stroke = -2;
    m_lineWidth = -1;
    m_renderer.render(*this, index);
    const int contents = m_writer.reserve();
    m_writer.stream(contents, pdfDeflate(m_content), true);
    const int pageId = m_writer.reserve();
    QByteArray dict = "<< /Type /Page /Parent " + PdfObjectWriter::ref(m_pagesId) + " /MediaBox [0 0 ";
    appendPdfNumber(dict, m_width);
    appendPdfNumber(dict, m_height);
    dict += "] /Resources " + PdfObjectWriter::ref(m_resources) + " /Contents " + PdfObjectWriter::ref(contents)
            + " >>";
    m_writer.object(pageId, dict);
    m_pages.push_back(pageId);
    return pageId;
}

// One Type0 font per face used, its program subset to the glyphs in use.
// Returns its entry in the resource dictionary.
QByteArray PdfCanvas::writeFont(int face, int type0)
{
    std::vector<FontMetricsTable> &fonts = m_renderer.fonts();
    FontMetricsTable &fm = fonts[size_t(face)];
    // Every size of a face shares one embedded font and one glyph list.
    std::map<quint32, char16_t> glyphs;
    for (FontMetricsTable &other : fonts) {
        if (faceIndex(int(&other - fonts.data())) == face)
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
    const int cid = m_writer.reserve(), descriptor = m_writer.reserve(), file = m_writer.reserve(),
              toUnicode = m_writer.reserve();
    using W = PdfObjectWriter;

    m_writer.object(type0, "<< /Type /Font /Subtype /Type0 /BaseFont /" + name
                               + " /Encoding /Identity-H /DescendantFonts [" + W::ref(cid) + "] /ToUnicode "
                               + W::ref(toUnicode) + " >>");
    QByteArray widths = "[";
    for (const auto &g : glyphs) {
        QPointF adv;
        const quint32 index = g.first;
        fm.design.advancesForGlyphIndexes(&index, &adv, 1, QRawFont::UseDesignMetrics);
        widths += QByteArray::number(index) + " [" + QByteArray::number(qRound(adv.x())) + "] ";
    }
    widths += "]";
    m_writer.object(cid, "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + name
                             + " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"
                               " /FontDescriptor " + W::ref(descriptor) + " /DW 1000 /W " + widths
                             + " /CIDToGIDMap /Identity >>");
    m_writer.object(descriptor, "<< /Type /FontDescriptor /FontName /" + name
                                    + " /Flags 32 /FontBBox [-1000 -400 2000 1200] /ItalicAngle "
                                    + (fm.face.italic ? "-12" : "0") + " /Ascent "
                                    + QByteArray::number(qRound(fm.ascent)) + " /Descent -"
                                    + QByteArray::number(qRound(fm.descent)) + " /CapHeight "
                                    + QByteArray::number(qRound(fm.ascent)) + " /StemV 80 /FontFile2 "
                                    + W::ref(file) + " >>");
    const QByteArray program = subsetTrueTypeFont(fm.design, keep);
    m_writer.stream(file, pdfDeflate(program), true, " /Length1 " + QByteArray::number(program.size()));
    m_writer.stream(toUnicode, toUnicodeCMap(glyphs), false);
    return "/F" + QByteArray::number(face) + ' ' + W::ref(type0) + ' ';
}

int PdfCanvas::finish()
{
    QByteArray fontDict, imageDict;
    for (const auto &used : m_fontIds)
        fontDict += writeFont(used.first, used.second);
    for (const auto &img : m_imageIds)
        imageDict += "/Im" + QByteArray::number(img.second.second) + ' ' + PdfObjectWriter::ref(img.second.first) + ' ';
    m_writer.object(m_resources, "<< /ProcSet [/PDF /Text /ImageC] /Font << " + fontDict + ">> /XObject << "
                                     + imageDict + ">> >>");
    QByteArray kids;
    for (int id : m_pages)
        kids += PdfObjectWriter::ref(id) + ' ';
    m_writer.object(m_pagesId, "<< /Type /Pages /Count " + QByteArray::number(int(m_pages.size())) + " /Kids ["
                                   + kids + "] >>");
    return m_pagesId;
}

void PdfCanvas::fillRect(const QRectF &r, ReportColor color)
{
    setFill(color);
    rect(r);
    m_content += "f\n";
}

void PdfCanvas::line(const QPointF &a, const QPointF &b, double width, ReportColor color)
{
    setStroke(color, width);
    appendPdfNumber(m_content, a.x());
    appendPdfNumber(m_content, m_height - a.y());
    m_content += "m ";
    appendPdfNumber(m_content, b.x());
    appendPdfNumber(m_content, m_height - b.y());
    m_content += "l S\n";
}

void PdfCanvas::box(const QRectF &r, double width, ReportColor stroke, ReportColor fill)
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

void PdfCanvas::image(const QRectF &r, const QImage &image, const QString &key)
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
        const int id = m_writer.reserve();
        m_writer.stream(id, pdfDeflate(pixels), true,
                        " /Type /XObject /Subtype /Image /Width " + QByteArray::number(rgb.width()) + " /Height "
                            + QByteArray::number(rgb.height()) + " /ColorSpace /DeviceRGB /BitsPerComponent 8");
        it = m_imageIds.emplace(key, std::make_pair(id, int(m_imageIds.size()))).first;
    }
    m_content += "q ";
    appendPdfNumber(m_content, r.width());
    m_content += "0 0 ";
    appendPdfNumber(m_content, r.height());
    appendPdfNumber(m_content, r.x());
    appendPdfNumber(m_content, m_height - r.bottom());
    m_content += "cm /Im" + QByteArray::number(it->second.second) + " Do Q\n";
}

void PdfCanvas::text(const PlacedText &t, const quint32 *glyphs, const float *, ReportColor color, const QRectF *clip)
{
    const int face = faceIndex(t.font);
    const int count = int(t.text.size());
    if (m_fontIds.find(face) == m_fontIds.end())
        m_fontIds.emplace(face, m_writer.reserve());
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
    appendPdfNumber(m_content, t.size);
    m_content += "Tf ";
    appendPdfNumber(m_content, t.origin.x());
    appendPdfNumber(m_content, m_height - t.origin.y());
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

// The first font index with the same family, weight and slant.
int PdfCanvas::faceIndex(int font) const
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

void PdfCanvas::rect(const QRectF &r)
{
    appendPdfNumber(m_content, r.x());
    appendPdfNumber(m_content, m_height - r.bottom());
    appendPdfNumber(m_content, r.width());
    appendPdfNumber(m_content, r.height());
    m_content += "re ";
}

void PdfCanvas::setFill(ReportColor c)
{
    if (c != m_fill) {
        appendColor(m_content, c, "rg");
        m_fill = c;
    }
}

void PdfCanvas::setStroke(ReportColor c, double width)
{
    if (c != m_stroke) {
        appendColor(m_content, c, "RG");
        m_stroke = c;
    }
    if (width != m_lineWidth) {
        appendPdfNumber(m_content, width);
        m_content += "w\n";
        m_lineWidth = width;
    }
}

} // namespace orvane
