#include "XlsxExport.h"

#include <QDateTime>
#include <QVariant>

#include "Error.h"
#include "ExportFile.h"
#include "Layout.h"
#include "Report.h"
#include "Table.h"
#include "XlsxWorkbook_p.h"

#include <algorithm>

namespace orvane {

namespace {

const QString kSource = QStringLiteral("Excel export");
constexpr int kMaxCellText = 32767;      // the sheet format's limit per cell
constexpr int kWidthSampleRows = 2000;   // enough to size columns, cheap on 200k rows

struct RowStyles
{
    int header = 0, date = 0, dateTime = 0, money = 0;
};

RowStyles addStyles(XlsxWorkbook &book)
{
    RowStyles s;
    XlsxStyle header;
    header.bold = true;
    header.bottomBorder = true;
    s.header = book.style(header);
    XlsxStyle date;
    date.numberFormat = QStringLiteral("dd/mm/yyyy");
    s.date = book.style(date);
    date.numberFormat = QStringLiteral("dd/mm/yyyy hh:mm");
    s.dateTime = book.style(date);
    XlsxStyle money;
    money.numberFormat = QStringLiteral("#,##0.00");
    s.money = book.style(money);
    return s;
}

// Column widths come from the header and a sample of the rows; the header row stays frozen.
XlsxSheetSetup sheetSetup(const Table &table, const std::vector<int> &rowOrder, const QString &sheetName)
{
    XlsxSheetSetup setup;
    setup.name = sheetName;
    setup.frozenRows = 1;
    const int sample = std::min<int>(int(rowOrder.size()), kWidthSampleRows);
    for (int c = 0; c < table.columnCount(); ++c) {
        int width = table.columnName(c).size() + 2;
        const Table::Type type = table.columnType(c);
        if (type == Table::Type::Date || type == Table::Type::DateTime)
            width = std::max(width, type == Table::Type::Date ? 12 : 17);
        for (int i = 0; i < sample; ++i) {
            const int row = rowOrder[size_t(i)];
            int len = 0;
            if (type == Table::Type::Real)
                len = QString::number(table.number(row, c), 'f', 2).size() + 4;
            else if (type != Table::Type::Date && type != Table::Type::DateTime)
                len = table.text(row, c).size() + 1;
            width = std::max(width, len);
        }
        setup.columnWidths.push_back(std::min(width, 60));
    }
    return setup;
}

void writeCell(XlsxWorkbook &book, int column, const QVariant &v, const RowStyles &styles)
{
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        break;   // NULL: an empty cell
    case QMetaType::Double:
    case QMetaType::Float:
        book.number(column, v.toDouble(), styles.money);
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        book.number(column, v.toDouble());
        break;
    case QMetaType::Bool:
        book.boolean(column, v.toBool());
        break;
    case QMetaType::QDate:
        if (v.toDate().isValid())
            book.number(column, xlsxSerialDay(v.toDate()), styles.date);
        break;
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        if (!dt.isValid())
            break;
        const QTime t = dt.time();
        if (t == QTime(0, 0))
            book.number(column, xlsxSerialDay(dt.date()), styles.date);
        else
            book.number(column, xlsxSerialDay(dt.date()) + t.msecsSinceStartOfDay() / 86400000.0, styles.dateTime);
        break;
    }
    default: {
        const QString text = v.toString();
        if (!text.isEmpty())
            book.text(column, text.left(kMaxCellText));
        break;
    }
    }
}

} // namespace

double xlsxSerialDay(const QDate &date)
{
    static const qint64 epoch = QDate(1899, 12, 30).toJulianDay();
    return double(date.toJulianDay() - epoch);
}

bool exportXlsx(const Table &table, const std::vector<int> &rowOrder, const QString &fileName,
                const ExportProgress &progress, const QString &sheetName)
{
    if (qint64(rowOrder.size()) + 1 > XlsxWorkbook::kMaxRows) {
        throw Error(QStringLiteral("The report has %1 rows; one Excel sheet holds at most %2. "
                                   "Narrow the report or export it as CSV.")
                        .arg(rowOrder.size())
                        .arg(XlsxWorkbook::kMaxRows - 1),
                    kSource);
    }
    for (int row : rowOrder) {
        if (row < 0 || row >= table.rowCount())
            throw Error(QStringLiteral("Row %1 is not one of the report's rows.").arg(row), kSource);
    }

    ExportFile file(fileName, kSource);
    XlsxWorkbook book(file);
    const RowStyles styles = addStyles(book);
    book.beginSheet(sheetSetup(table, rowOrder, sheetName));
    const int columns = table.columnCount();
    book.beginRow();
    for (int c = 0; c < columns; ++c)
        book.text(c, table.columnName(c), styles.header);

    const int total = int(rowOrder.size());
    int done = 0;
    for (int row : rowOrder) {
        book.beginRow();
        for (int c = 0; c < columns; ++c)
            writeCell(book, c, table.value(row, c), styles);
        ++done;
        if ((done & 1023) == 0 && progress && !progress(done, total))
            return false;   // the file beside the target goes with `file`
    }
    if (progress && !progress(done, total))
        return false;
    book.finish();
    // Packing the last part cannot stop half-way; a cancel that came meanwhile
    // still keeps the new file from replacing the old one.
    if (progress && !progress(done, total))
        return false;
    file.commit();
    return true;
}

bool exportXlsx(const Report &report, const QString &fileName, const ExportProgress &progress)
{
    const std::shared_ptr<const Table> rows = report.rows();
    if (!rows)
        throw Error(QStringLiteral("The report has no rows to export."), kSource);
    // The window's caption, else a title set at run time, names the sheet; the
    // stored design-time title of most layouts says nothing about the report.
    const QString title = report.ReportTitle();
    const QString sheet = !report.documentTitle().trimmed().isEmpty()            ? report.documentTitle()
                          : title.trimmed() == report.layout().title.trimmed() ? QString()
                                                                                 : title;
    return exportXlsx(*rows, report.rowOrder(), fileName, progress, sheet);
}

} // namespace orvane
