#pragma once

#include "Layout.h"

#include <QDate>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace orvane {

class Table;

/// Everything a page shows apart from positions, frozen when pagination
/// starts: later SetText, colour changes or a reopened recordset do not reach
/// a document already laid out.
struct ReportContent
{
    Layout layout;                       // with run-time texts, colours and orientation applied
    std::shared_ptr<const Table> table;  // null: no rows
    std::vector<int> order;              // Table rows in report order
    QString title;                       // ReportTitle, as the pages show it
    QString documentTitle;               // what the PDF and the print job are called
    QStringList parameters;              // position 1 first
    QDate printDate = QDate::currentDate();

    /// Resolves the column of every field, summary and group against `table`.
    /// Throws Error naming the object and column when the rows lack it.
    void bindColumns();
};

/// A band grows in steps of this many mm (Placement::grow), up to 254 steps (63.5 mm).
constexpr double kGrowStepMm = 0.25;

/// One band on a page: which section, for which row, where.
struct Placement
{
    enum Flag : quint8 { Continued = 1 };
    qint32 row = -1;         // index into ReportContent::order, -1 for bands without a row
    float y = 0;             // mm from the top of the body area (inside the top margin)
    quint16 section = 0;     // index into Layout::sections
    quint8 flags = 0;
    quint8 grow = 0;         // extra height in steps of kGrowStepMm, for text that wraps
    qint32 totals = -1;      // first of the section's summary values in Document::totals, -1 if none
};
static_assert(sizeof(Placement) == 16, "the page model keeps placements small");

struct PageEntry
{
    qint32 first = 0;        // first placement
    qint32 count = 0;
};

/// The laid-out report: pages of band placements plus the summary values,
/// computed in the same pass. Pages are 0-based.
class Document
{
public:
    std::shared_ptr<const ReportContent> content;
    std::vector<PageEntry> pages;
    std::vector<Placement> placements;
    std::vector<double> totals;          // per placement of a section with summaries, in object order
    bool complete = false;               // false while pagination is running, or after it was cancelled
    bool cancelled = false;

    int pageCount() const { return int(pages.size()); }
    const Layout &layout() const { return content->layout; }
    /// Table row of a placement (-1 for bands without a row).
    int tableRow(const Placement &p) const { return p.row < 0 ? -1 : content->order[size_t(p.row)]; }
    /// Height of the band in mm, grown by text that wraps.
    double bandHeight(const Placement &p) const
    {
        return content->layout.sections[p.section].height + p.grow * kGrowStepMm;
    }
    /// Value of summary object `objectIndex` of the placement's section; 0 when none.
    double summaryValue(const Placement &p, int objectIndex) const;
    /// Bytes held by the page model (pages, placements, totals), not the rows.
    qint64 memoryUsage() const;
};

/// The text a field, summary or special object shows; shared by the painter
/// and the tests, so what a test reads is what the page shows.
QString formatNumber(double value, const FieldFormat &format);
QString objectText(const Document &doc, int pageIndex, const Placement &placement, int objectIndex);

/// One group of the report in its outline: where the group's header (the
/// first one, not a continued repeat) stands. Pages and placements are 0-based.
struct OutlineEntry
{
    qint32 page = 0;
    qint32 placement = 0;    // index into Document::placements
    qint32 level = 0;        // the group's index: 0 for the outermost
};

/// Appends the outline entries of pages [fromPage, doc.pageCount()) to
/// `entries`, in the order they stand. A viewer calls it for each batch of pages
/// pagination finishes; the PDF export once for all.
void appendOutline(const Document &doc, int fromPage, std::vector<OutlineEntry> &entries);

/// An entry's text: the texts of its group's outline objects (Group::outline)
/// as the header shows them, joined by two blanks; the group field's value
/// when the layout names no outline objects.
QString outlineText(const Document &doc, const OutlineEntry &entry);

/// One object as placed on a page: its band (an index into
/// Document::placements) and its index among the band's section's objects,
/// both 0-based; -1 for none.
struct PlacedObject
{
    qint32 placement = -1;
    qint32 object = -1;
    bool isValid() const { return placement >= 0 && object >= 0; }
    bool operator==(const PlacedObject &other) const
    {
        return placement == other.placement && object == other.object;
    }
};

/// Where an object is on its page: mm from the page's top-left corner, moved
/// down or stretched as its band grew for wrapped text, as the painter draws it.
QRectF objectRectMm(const Document &doc, const Placement &placement, int objectIndex);

/// The object under `pointMm` (mm from the top-left corner of page
/// `pageIndex`, 0-based) that shows a text or a figure; boxes, lines and
/// pictures are never hit. Of overlapping objects the one drawn last wins.
/// Invalid when there is none.
PlacedObject objectAt(const Document &doc, int pageIndex, const QPointF &pointMm);

/// A link as the viewer follows it: the layout's target name and the value
/// of the link's column in the band's row.
struct ReportLink
{
    QString target;
    QString value;
};

/// The link `placed` carries; nothing when its object is no link or its row
/// holds no value for it.
std::optional<ReportLink> linkOf(const Document &doc, const PlacedObject &placed);

/// The objects of page `pageIndex` (0-based) that carry a link, in reading
/// order: band by band down the page, left to right within a band.
std::vector<PlacedObject> pageLinks(const Document &doc, int pageIndex);

/// Index of the summary slot of `objectIndex` among the section's summary objects, -1 if it is none.
int summarySlot(const Section &section, int objectIndex);

} // namespace orvane
