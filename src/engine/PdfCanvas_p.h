#pragma once

#include "PagePainter_p.h"

#include <QByteArray>

#include <map>
#include <vector>

namespace orvane {

class PdfObjectWriter;

/// Puts the pages the renderer lays out straight into PDF content streams.
///
/// Written by hand rather than through QPdfWriter: its text path emits one
/// positioned operator per glyph, and compressing those streams costs more
/// than everything else of an export. Here a text is one "Tj" of glyph ids
/// whose advances are the font's own widths, so the page looks exactly as
/// PagePainter draws it. Coordinates are points from the page's top-left
/// corner, turned to PDF's bottom-left origin here.
class PdfCanvas final : public Canvas
{
public:
    PdfCanvas(PdfObjectWriter &writer, PageRenderer &renderer);

    /// Renders page `index` (0-based) of the document and writes it; returns
    /// the page's object number.
    int page(int index);
    /// The page tree of the pages written so far, with the fonts (subset to
    /// the glyphs used) and images they share. Returns the tree's object number.
    int finish();
    /// Page height in points.
    double pageHeight() const { return m_height; }

    void fillRect(const QRectF &r, ReportColor color) override;
    void line(const QPointF &a, const QPointF &b, double width, ReportColor color) override;
    void box(const QRectF &r, double width, ReportColor stroke, ReportColor fill) override;
    void image(const QRectF &r, const QImage &image, const QString &key) override;
    void text(const PlacedText &t, const quint32 *glyphs, const float *advances, ReportColor color,
              const QRectF *clip) override;

private:
    int faceIndex(int font) const;
    QByteArray writeFont(int face, int type0);
    void rect(const QRectF &r);
    void setFill(ReportColor c);
    void setStroke(ReportColor c, double width);

    PdfObjectWriter &m_writer;
    PageRenderer &m_renderer;
    std::vector<int> m_pages;
    std::map<int, int> m_fontIds;                          // face (first font index) -> Type0 object
    std::map<QString, std::pair<int, int>> m_imageIds;     // key -> object, resource number
    int m_pagesId = 0, m_resources = 0;
    double m_width = 0, m_height = 0;
    QByteArray m_content;
    ReportColor m_fill = -2, m_stroke = -2;
    double m_lineWidth = -1;
};

} // namespace orvane
