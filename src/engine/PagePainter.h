#pragma once

#include "Document.h"

#include <memory>

class QPainter;
class QPaintDevice;

namespace orvane {

struct PagePainterPrivate;

/// Paints pages of a Document onto any QPainter (screen, image, PDF,
/// printer). The painter's origin must be the page's top-left corner and its
/// transform map device pixels; the page is drawn in mm scaled to the device's
/// resolution, and a point is a point on every device.
///
/// Glyphs come from each font's design metrics (no hinting, no kerning), so
/// text takes the same width on every device and in the PDF export. Keeps
/// fonts and pictures between pages: paint many pages of one document with
/// one PagePainter. Not thread-safe.
class PagePainter
{
public:
    explicit PagePainter(const Document &document);
    ~PagePainter();

    /// Paints page `pageIndex` (0-based). `scale` enlarges the page on top of
    /// the device's resolution (the viewer's zoom; 1 = actual size).
    void paint(QPainter &painter, int pageIndex, double scale = 1.0);

    const Document &document() const;

    /// Where the text of `placed` stands on page `pageIndex` (0-based), in mm
    /// from the page's top-left corner: all its lines, as drawn. Empty when it
    /// draws no text there.
    QRectF textBoundsMm(int pageIndex, const PlacedObject &placed);

private:
    std::unique_ptr<PagePainterPrivate> d;
};

/// One page at actual size (a PagePainter for a single call).
void paintPage(QPainter &painter, const Document &document, int pageIndex, double scale = 1.0);

/// Page size in device pixels for `device` at `scale`.
QSize pageSizePixels(const Document &document, const QPaintDevice &device, double scale = 1.0);

} // namespace orvane
