#pragma once

#include <QString>

namespace orvane {

/// The leading-number parse that turns a typed code into a number:
/// blanks (space, tab, line breaks) are skipped wherever they stand, reading
/// stops at the first character that cannot continue a number, and text with
/// no number gives 0. A number is an optional sign, digits with at most one
/// full stop, and an optional exponent (E or D, optional sign, digits).
///
/// Magnitudes above LeadingNumberLimit are clamped to it (sign kept), so a
/// runaway code can never turn into "inf" or an exponent in SQL text.
constexpr double LeadingNumberLimit = 999999999999999.0;   // 15 nines

double LeadingNumber(const QString &text);

/// LeadingNumber written back in its shortest plain decimal form, never with an
/// exponent: "007" -> "7", "12A" -> "12", "A1" -> "0", " 42" -> "42",
/// "-3" -> "-3", "1.50" -> "1.5", "" -> "0".
QString LeadingNumberText(const QString &text);

/// `value` in the same shortest plain form ("-0" prints as "0").
QString NumberText(double value);

} // namespace orvane
