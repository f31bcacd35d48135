#pragma once

#include <QColor>
#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace orvane {

class Recordset;
class Table;
class Document;
struct Layout;
struct ReportContent;

/// Colours as the report object API passes them: 32-bit 0x00BBGGRR, -1 for none.
using ReportColor = qint32;

/// One object of a laid-out report, as the report object API exposes it.
class ReportObject
{
public:
    enum class Kind { Text, Field, Summary, Special, Box, Line, Picture };

    virtual ~ReportObject() = default;
    virtual QString Name() const = 0;
    virtual Kind kind() const = 0;

    /// Text objects only: replaces the design-time text. Throws Error on other kinds.
    virtual void SetText(const QString &text) = 0;

    /// Text and field objects draw their background in BackColor (-1: none).
    virtual ReportColor BackColor() const = 0;
    virtual void setBackColor(ReportColor color) = 0;
    /// Boxes fill with FillColor (-1: none).
    virtual ReportColor FillColor() const = 0;
    virtual void setFillColor(ReportColor color) = 0;
};

class ReportSection
{
public:
    virtual ~ReportSection() = default;
    virtual QString Name() const = 0;
    /// Objects in layout order.
    virtual std::vector<ReportObject *> ReportObjects() const = 0;
};

class Report;

class ReportDatabase
{
public:
    /// Binds the detail rows: the recordset's visible rows, fields matched by
    /// column name. The rows are shared, not copied, and later changes to the
    /// recordset (close, reopen, filter) do not reach the report.
    void SetDataSource(const Recordset &recordset, int dataTag = 0, int tableNumber = 0);

private:
    friend class Report;
    explicit ReportDatabase(Report *report) : m_report(report) {}
    Report *m_report;
};

class ParameterField
{
public:
    void AddCurrentValue(const QString &value);
    QString currentValue() const { return m_value; }

private:
    friend class Report;
    QString m_value;
};

/// A report: one instance of a layout, filled at run time and then viewed,
/// exported or printed. Each layout class derives from this.
class Report
{
public:
    enum PaperOrientationEnum { crDefaultPaperOrientation = 0, crPortrait = 1, crLandscape = 2 };

    /// Loads the layout file (a Qt resource path such as ":/layouts/x.json").
    /// Throws Error naming the file and the element at fault.
    explicit Report(const QString &layoutFile);
    virtual ~Report();

    Report(const Report &) = delete;
    Report &operator=(const Report &) = delete;

    ReportDatabase &Database();

    /// The object called `name` (exact name); throws Error naming it when the
    /// layout has none.
    ReportObject &object(const QString &name);

    QString ReportTitle() const;
    void setReportTitle(const QString &title);

    /// What the report is called outside its pages: the caption of the window
    /// that prepared it, e.g. "Purchase Register (Invoicewise)". Documents and
    /// file names are named after it; "" until the preparation sets it.
    QString documentTitle() const;
    void setDocumentTitle(const QString &title);
    /// The name the PDF, the print job and the workbook's sheet carry:
    /// documentTitle(), else a title set at run time with setReportTitle(),
    /// else the layout's name. Never "".
    QString documentName() const;

    /// The date range the report was prepared for (invalid dates when unset).
    QDate fromDate() const;
    QDate toDate() const;
    void setDateRange(const QDate &from, const QDate &to);

    /// Parameters by position, starting at 1; throws Error past the last one.
    ParameterField &ParameterFields(int position);
    int parameterCount() const;

    /// A printer that is not installed leaves the default printer; not an error.
    void SelectPrinter(const QString &driver, const QString &printer, const QString &port);
    QString printerName() const;   // "" for the default printer

    int PaperOrientation() const;
    void setPaperOrientation(int orientation);

    std::vector<ReportSection *> Sections() const;

    /// Strips colours for paper: text, field, summary and special objects lose
    /// their background (BackColor -1), boxes get a white fill (FillColor
    /// 16777215); objects whose name begins with NO (any case), lines and
    /// pictures keep theirs. The viewer does it before printing, and so does
    /// every other route to paper or PDF.
    void RemoveObjectColors();

    /// Prints through the component's printer function (see Printing.h).
    /// With a prompt the user picks printer and page range first.
    void PrintOut(bool promptUser = true);

    // For the viewer and the exporters.
    const Layout &layout() const;
    std::shared_ptr<const Table> rows() const;   // null until SetDataSource
    std::vector<int> rowOrder() const;           // Table rows in report order

    /// Binds rows without a recordset (tests, benchmarks). `order` lists the
    /// Table rows to show (0-based); empty shows every row in Table order.
    /// Throws Error when a field of the layout names a column the rows lack.
    void setRows(std::shared_ptr<const Table> table, std::vector<int> order = {});

    /// A frozen copy of what the pages show (layout with texts, colours and
    /// orientation applied, rows, title, parameters), columns bound.
    std::shared_ptr<const ReportContent> content() const;
    /// Lays out every page now, on the calling thread (PaginationJob does it
    /// in the background).
    Document paginate() const;

private:
    friend class ReportDatabase;
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace orvane
