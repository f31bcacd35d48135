#pragma once

#include <QByteArray>

#include <set>

class QRawFont;

namespace orvane {

/// The TrueType program of `font`, rebuilt from its tables with only the
/// outlines of `glyphs` (glyph indexes; the parts of composite glyphs and
/// glyph 0 are kept too). Glyph numbers stay as they are, so content streams
/// and widths need no renumbering.
QByteArray subsetTrueTypeFont(const QRawFont &font, const std::set<quint32> &glyphs);

} // namespace orvane
