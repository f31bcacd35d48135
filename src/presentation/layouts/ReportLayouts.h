#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace orvane {

class Report;

/// The resource path of the built-in layout `className`,
/// ":/layouts/<className>.json". The layouts are compiled into a static
/// library, so this also makes sure their resources are registered.
QString layoutResource(const QString &className);

/// Class names of the seven report layouts.
QStringList reportLayoutNames();

/// A new report of the layout called `className` (exact name, e.g.
/// "crpPurchaseSummary"); throws Error when there is no such layout.
std::unique_ptr<Report> createReportLayout(const QString &className);

} // namespace orvane
