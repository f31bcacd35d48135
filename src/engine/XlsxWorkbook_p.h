#pragma once

#include <QByteArray>
#include <QMarginsF>
#include <QPageSize>
#include <QString>

#include <memory>
#include <vector>

namespace orvane {

class ExportFile;
class ZipWriter;

/// How a cell looks.
struct XlsxStyle
{
    QString numberFormat;            // "" : General
    QString fontFamily;              // "" : the workbook's default font (Calibri 11)
    double fontSize = 11;            // points
    bool bold = false;
    Qt::Alignment alignment = {};    // horizontal; none: the spreadsheet's own (numbers right, text left)
    bool bottomBorder = false;       // a thin rule under the cell

    bool operator==(const XlsxStyle &o) const
    {
        return numberFormat == o.numberFormat && fontFamily == o.fontFamily && fontSize == o.fontSize
               && bold == o.bold && alignment == o.alignment && bottomBorder == o.bottomBorder;
    }
};

/// What a sheet states before its rows. Rows and columns are 0-based.
struct XlsxSheetSetup
{
    QString name;                        // the sheet's tab; made valid by the writer
    std::vector<double> columnWidths;    // in the spreadsheet's unit: characters of the default font
    int frozenRows = 0;                  // rows kept on screen above the scrolling ones
    int printTitleFirst = -1;            // rows repeated at the top of every printed page; -1: none
    int printTitleLast = -1;
    int outlineLevels = 0;               // the deepest row outline level used
    bool landscape = false;
    bool fitToWidth = false;             // printed one page wide, as many pages long as it takes
    QPageSize::PageSizeId paper = QPageSize::A4;
    QMarginsF marginsMm{10, 10, 10, 10};
};

/// Writes a one-sheet workbook (the spreadsheet format of zipped XML parts)
/// row by row into an ExportFile, in constant memory: each row goes out as
/// soon as the next one begins. Numbers are written as a person writes them
/// (plainNumber()), never with the residue of binary arithmetic; text as
/// inline strings. Throws Error (through the file) when a write fails.
class XlsxWorkbook
{
public:
    /// The most rows one sheet holds.
    static constexpr int kMaxRows = 1048576;

    explicit XlsxWorkbook(ExportFile &file);
    ~XlsxWorkbook();

    /// The style index of `style` for the cells; 0 is the default style.
    int style(const XlsxStyle &style);

    void beginSheet(const XlsxSheetSetup &setup);
    /// Starts the next row, folded at `outlineLevel` (0: not in an outline group).
    void beginRow(int outlineLevel = 0);
    /// The current row, 0-based; -1 before the first.
    int row() const { return m_row; }

    /// Cells of the current row, in increasing column order.
    void number(int column, double value, int style = 0);   // nothing for infinity and NaN
    void text(int column, const QString &text, int style = 0);
    void boolean(int column, bool value, int style = 0);
    /// A formula ("SUBTOTAL(9,F5:F9)", no "=") with the value it gives, for
    /// readers that do not calculate.
    void formula(int column, const QString &formula, double cached, int style = 0);
    /// Cells [firstColumn, lastColumn] of `row` shown as one.
    void merge(int row, int firstColumn, int lastColumn);

    /// The sheet's name as written; quoted for formulas by quotedSheetName().
    QString sheetName() const { return m_setup.name; }
    /// Ends the sheet and writes the rest of the workbook.
    void finish();

    /// "A", "B", ..., "Z", "AA", ... for column 0, 1, ...
    static QByteArray columnName(int column);
    /// A valid sheet name from `wanted`: no []:*?/\, no leading or trailing
    /// apostrophe, at most 31 characters; "Report" when nothing is left.
    static QString validSheetName(const QString &wanted);

private:
    void endRow();
    void cellStart(int column, int style, const char *type);
    QByteArray stylesPart() const;
    QByteArray workbookPart() const;

    ExportFile &m_file;
    std::unique_ptr<ZipWriter> m_zip;
    XlsxSheetSetup m_setup;
    std::vector<XlsxStyle> m_styles;
    std::vector<std::pair<int, std::pair<int, int>>> m_merges;   // row, first and last column
    QByteArray m_rowXml;
    int m_row = -1;
    bool m_rowOpen = false;
};

} // namespace orvane
