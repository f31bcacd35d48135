#pragma once

class QLineEdit;

namespace orvane {

/// Marks a search or filter box whose text found nothing (a light red
/// background), or takes the mark off. Every such box of the component shows
/// a miss the same way.
void setSearchMiss(QLineEdit *box, bool miss);

/// Whether `box` carries the mark of setSearchMiss().
bool isSearchMiss(const QLineEdit *box);

} // namespace orvane
