#pragma once

// The texts of a page as the renderer hands them to the PDF writer and the
// painter: what the tests read is what the paper shows.

#include "PagePainter_p.h"

#include <vector>

namespace orvane::test {

class TextRecorder final : public Canvas
{
public:
    std::vector<PlacedText> texts;
    void fillRect(const QRectF &, ReportColor) override {}
    void line(const QPointF &, const QPointF &, double, ReportColor) override {}
    void box(const QRectF &, double, ReportColor, ReportColor) override {}
    void image(const QRectF &, const QImage &, const QString &) override {}
    void text(const PlacedText &t, const quint32 *, const float *, ReportColor, const QRectF *clip) override
    {
        PlacedText drawn = t;
        if (clip)   // what a clipped text shows is its part inside the box
            drawn.width = std::min(t.origin.x() + t.width, clip->right()) - t.origin.x();
        texts.push_back(drawn);
    }
};

/// Every line of text page `page` (0-based) shows, in drawing order.
inline std::vector<PlacedText> pageTexts(PageRenderer &renderer, int page)
{
    TextRecorder recorder;
    renderer.render(recorder, page);
    return recorder.texts;
}

} // namespace orvane::test
