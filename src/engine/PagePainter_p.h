#pragma once

// Shared by the page painter and the PDF writer: one routine lays out every
// object of a page; a Canvas puts it on a QPainter or straight into PDF.

#include "Document.h"
#include "FontMetricsTable.h"

#include <QHash>
#include <QImage>
#include <QVarLengthArray>

#include <vector>

namespace orvane {

/// One line of text as the renderer places it on a page.
struct PlacedText
{
    int placement = -1;     // index into Document::placements
    int object = -1;        // index into the placement's section's objects
    int font = 0;           // index into PageRenderer::fonts()
    double size = 0;        // points as drawn: a figure too wide for its box may be smaller than its font
    QPointF origin;         // start of the baseline, points from the page's top-left corner
    double width = 0;       // points
    double ascent = 0;      // points above the baseline
    double descent = 0;     // points below it
    bool figure = false;    // a number: always drawn whole
    QString text;           // what is drawn, with "…" where a text was cut short

    /// The line's box in points from the page's top-left corner.
    QRectF box() const { return QRectF(origin.x(), origin.y() - ascent, width, ascent + descent); }
};

/// What a page is drawn onto. Coordinates are points from the page's
/// top-left corner.
class Canvas
{
public:
    virtual ~Canvas() = default;
    virtual void fillRect(const QRectF &r, ReportColor color) = 0;
    virtual void line(const QPointF &a, const QPointF &b, double width, ReportColor color) = 0;
    virtual void box(const QRectF &r, double width, ReportColor stroke, ReportColor fill) = 0;
    virtual void image(const QRectF &r, const QImage &image, const QString &key) = 0;
    /// `glyphs` of `text.font` at `text.size`, `advances` in points, one per
    /// character of `text.text`. `clip` null unless the text must be cut.
    virtual void text(const PlacedText &text, const quint32 *glyphs, const float *advances, ReportColor color,
                      const QRectF *clip) = 0;
};

/// Lays out the objects of a page onto a Canvas; keeps fonts and images
/// between pages.
///
/// Figures (see LayoutObject::isFigure, and text fields whose value is a
/// number) are never cut: one too wide for its box is drawn smaller, down to
/// figureFloor(); still too wide, it takes free space on its leading side,
/// keeping kFigureGapMm from any text or rule drawn there.
class PageRenderer
{
public:
    explicit PageRenderer(const Document &document);
    void render(Canvas &canvas, int pageIndex);

    const Document &document() const { return *m_doc; }
    std::vector<FontMetricsTable> &fonts() { return m_fonts; }

    /// The smallest size, in points, a figure set in `sizePt` is shrunk to
    /// before it takes space beside its box.
    static double figureFloor(double sizePt);

private:
    // A text of the band being drawn: placed, or a figure still to place.
    struct Run
    {
        PlacedText text;
        QRectF rect;          // the object's box, points
        Qt::Alignment alignment;
        ReportColor color = 0;
        bool clip = false;    // cut at `rect` (elide off)
        double designWidth = 0;   // 1/1000 em
        int glyphs = 0;       // first of its glyphs in m_glyphs / m_advances
    };

    void renderBand(Canvas &canvas, int pageIndex, int placementIndex);
    // Boxes, rules and pictures; false for an object that shows text.
    bool drawGraphic(Canvas &canvas, const LayoutObject &o, const QRectF &r, const QRectF &mm);
    void addText(Run &run, const LayoutObject &o, const QString &text, double growMm);
    void addFigure(Run &run, FontMetricsTable &fm, const QString &text);
    void addWrapped(const Run &run, FontMetricsTable &fm, const QString &text, double limit, double growMm);
    void placeWideFigures(double bodyLeft, double bodyRight);
    void shape(Run &run, FontMetricsTable &fm, const QString &text);
    void elide(Run &run, FontMetricsTable &fm, double limit);
    void setLine(Run &run, double size, double top);   // at `top` (points), aligned in its box
    void placeFigure(Run &run, size_t index, double bodyLeft, double bodyRight);
    void draw(Canvas &canvas, const Run &run);

    const Document *m_doc;
    std::vector<FontMetricsTable> m_fonts;
    std::vector<std::vector<int>> m_objectFont;   // per section, per object
    std::vector<double> m_growFrom;               // per section: mm from which objects move down as it grows
    double m_bodyWidth = 0;                       // points
    QHash<QString, QImage> m_images;
    std::vector<quint32> m_glyphs;                // of the band's texts
    std::vector<float> m_advances;                // 1/1000 em
    QVarLengthArray<float, 128> m_scaled;         // advances of one text in points
    std::vector<Run> m_runs;                      // texts of the band being drawn
    std::vector<Run> m_wide;                      // its figures too wide for their boxes
    std::vector<QRectF> m_taken;                  // what those figures keep clear of, points
    std::vector<FontMetricsTable::Line> m_lines;
};

constexpr double kPtPerMm = 72.0 / 25.4;
/// Clear space kept between a figure that spills beside its box and the text or rule next to it.
constexpr double kFigureGapMm = 1.5;

} // namespace orvane
