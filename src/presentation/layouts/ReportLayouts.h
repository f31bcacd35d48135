#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace orvane {

class Report;

/// Class names of the seven report layouts.
QStringList reportLayoutNames();

/// A new report of the layout called `className` (exact name, e.g.
/// "crpPurchaseSummary"); throws Error when there is no such layout.
std::unique_ptr<Report> createReportLayout(const QString &className);

} // namespace orvane
