#pragma once

#include <QByteArray>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <vector>

namespace orvane {

/// Colours as the report object API passes them: 32-bit 0x00BBGGRR, -1 for none.
using ReportColor = qint32;
constexpr ReportColor NoColor = -1;

/// The static model of a report layout, read from one JSON file (see
/// docs/layout-format.md). All lengths are millimetres, font sizes points.
/// Indexes start at 0.

enum class SectionKind { ReportHeader, PageHeader, GroupHeader, Detail, GroupFooter, PageFooter, ReportFooter };

/// Same order as ReportObject::Kind.
enum class ObjectKind { Text, Field, Summary, Special, Box, Line, Picture };

enum class SpecialField {
    PageNumber,      // "3"
    PageNofM,        // "Page 3 of 12"
    PrintDate,       // dd/MM/yyyy
    ReportTitle,     // the report's title
    Parameter,       // the value of parameter `parameter` (1-based)
    GroupContinued,  // "(continued)" on a repeated group header, nothing otherwise
};

struct FieldFormat
{
    enum Type { Text, Money, Number, Integer, Date };
    Type type = Text;
    int decimals = 2;            // Number only; Money always 2, Integer 0
    bool blankWhenZero = false;  // numbers: 0 prints as nothing
};

struct FontSpec
{
    QString family = QStringLiteral("DejaVu Sans");
    double size = 9;             // points
    bool bold = false;
    bool italic = false;
};

struct Border
{
    bool left = false, top = false, right = false, bottom = false;
    double width = 0.2;          // mm
    ReportColor color = 0;       // black
    bool any() const { return left || top || right || bottom; }
};

/// Where a field leads in the viewer: `target` is a name the viewer's owner
/// gives meaning to (the layouts name a report); the link carries the value of
/// column `field` of the band's row. Paper and exports never show it.
struct LinkSpec
{
    QString target;              // "" = not a link
    QString field;               // column whose value the link carries (case-insensitive)
    int column = -1;             // resolved by bindColumns(), -1 until then
};

struct LayoutObject
{
    enum class Function { Sum, Count };
    enum class Scope { Group, Report };

    QString name;
    ObjectKind kind = ObjectKind::Text;
    QRectF rect;                 // mm, relative to the section's top-left corner (inside the margins)

    QString text;                // Text: the design-time text that SetText replaces
    QString field;               // Field, Summary: column of the bound rows (case-insensitive)
    FieldFormat format;          // Field, Summary
    Function function = Function::Sum;
    Scope scope = Scope::Group;  // Summary: the enclosing group (report when the section has none)
    SpecialField special = SpecialField::PageNumber;
    int parameter = 0;           // Special Parameter: 1-based position
    QString picture;             // Picture: image path, usually a resource ":/..."

    FontSpec font;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    Border border;
    ReportColor foreColor = 0;         // text and line colour
    ReportColor backColor = NoColor;   // Text, Field, Summary, Special
    ReportColor fillColor = NoColor;   // Box
    double lineWidth = 0.2;            // Line, Box outline (mm)
    bool elide = true;                 // text wider than rect ends in "…" (else clipped); never a figure
    bool canGrow = false;              // Text, text Field: wraps onto further lines, the band grows
    int column = -1;                   // Field, Summary: resolved by bindColumns(), -1 until then
    LinkSpec link;                     // Field: a link in the viewer when link.target is set

    /// Money, number and integer fields and summaries: drawn whole, never
    /// elided or wrapped (smaller, or into free space beside, when too wide).
    bool isFigure() const
    {
        return (kind == ObjectKind::Field || kind == ObjectKind::Summary) && format.type != FieldFormat::Text
               && format.type != FieldFormat::Date;
    }
};

struct Section
{
    QString name;
    SectionKind kind = SectionKind::Detail;
    double height = 0;           // mm
    bool suppress = false;       // never placed
    bool newPageBefore = false;
    bool newPageAfter = false;
    bool keepTogether = true;    // bands are never split; kept for the file format
    int group = -1;              // GroupHeader/GroupFooter: index into Layout::groups
    std::vector<LayoutObject> objects;
};

struct Group
{
    QString field;               // column whose change starts a new group
    QString header;              // section name ("" for none)
    QString footer;              // section name ("" for none)
    int headerSection = -1;      // resolved indexes into Layout::sections
    int footerSection = -1;
    int column = -1;             // resolved by bindColumns()
    QStringList outline;         // objects of the header whose texts name a group in the outline
    std::vector<int> outlineObjects;   // their indexes in the header section, resolved on load
};

struct Layout
{
    QString fileName;            // for messages
    QString name;
    QString title;               // design-time title; ReportTitle replaces it
    QPageSize::PageSizeId pageSize = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{10, 10, 10, 10};   // mm
    QStringList parameters;      // names, position 1 first
    std::vector<Group> groups;   // outermost first
    std::vector<Section> sections;   // in file order

    /// Reads a layout file (a resource path works). Throws Error naming the
    /// file and the element at fault, e.g. "x.json: sections[3].objects[2]: unknown kind 'txet'".
    static Layout load(const QString &fileName);
    static Layout parse(const QByteArray &json, const QString &fileName);

    /// Page size in mm after orientation.
    QSizeF pageSizeMm() const;
    /// The area inside the margins, in mm from the page's top-left corner.
    QRectF bodyRectMm() const;
    QPageLayout pageLayout() const;
    int sectionIndex(const QString &name) const;   // exact name; -1 if none
};

/// "#RRGGBB" or "none" <-> 0x00BBGGRR / -1.
ReportColor parseColor(const QString &text, bool *ok = nullptr);
QString colorText(ReportColor color);

} // namespace orvane
