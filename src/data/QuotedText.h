#pragma once

#include <QString>

namespace orvane {

/// `text` made fit to stand between single quotes in a statement: each
/// apostrophe doubled, and each character no database can read inside a
/// literal (NUL, half of a surrogate pair) replaced by U+FFFD, so it still
/// matches nothing a user could have typed. Nothing else is changed: "%" and
/// "_" keep their LIKE meaning.
///
/// A NUL ends the statement text for SQLite, and SQLite's UTF-16 reader takes
/// the unit after a lone surrogate as its other half, so a lone surrogate
/// followed by an apostrophe would close the literal early.
QString quotedText(const QString &text);

} // namespace orvane
