#include "SearchMiss.h"

#include <QLineEdit>
#include <QVariant>

namespace orvane {

namespace {

const char *const missProperty = "orvaneSearchMiss";

} // namespace

void setSearchMiss(QLineEdit *box, bool miss)
{
    if (!box || isSearchMiss(box) == miss)
        return;
    box->setProperty(missProperty, miss);
    // A style sheet rather than the palette: some platform styles paint line
    // edits from their own theme and ignore a palette's base colour.
    box->setStyleSheet(miss ? QStringLiteral("QLineEdit { background: #ffd6d6; color: #000000; }") : QString());
}

bool isSearchMiss(const QLineEdit *box)
{
    return box && box->property(missProperty).toBool();
}

} // namespace orvane
