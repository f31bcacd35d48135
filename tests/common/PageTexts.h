#pragma once

#include "PagePainter_p.h"

#include <vector>

namespace orvane::test {

/// Every line of text page `page` (0-based) shows, as the renderer hands it
/// to the PDF writer and the painter; a clipped text counts as far as it shows.
inline std::vector<PlacedText> pageTexts(PageRenderer &renderer, int page)
{
    struct Recorder final : Canvas
    {
        std::vector<PlacedText> texts;
        void fillRect(const QRectF &, ReportColor) override {}
        void line(const QPointF &, const QPointF &, double, ReportColor) override {}
        void box(const QRectF &, double, ReportColor, ReportColor) override {}
        void image(const QRectF &, const QImage &, const QString &) override {}
        void text(const PlacedText &t, const quint32 *, const float *, ReportColor, const QRectF *clip) override
        {
            texts.push_back(t);
            if (clip)
                texts.back().width = std::min(t.origin.x() + t.width, clip->right()) - t.origin.x();
        }
    } recorder;
    renderer.render(recorder, page);
    return recorder.texts;
}

} // namespace orvane::test
