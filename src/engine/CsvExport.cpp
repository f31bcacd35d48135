#include "CsvExport.h"

#include <QDateTime>
#include <QVariant>

#include "Error.h"
#include "ExportFile.h"
#include "Report.h"
#include "Table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>
#include <system_error>

namespace orvane {

namespace {

const QString kSource = QStringLiteral("CSV export");

// A date-time column prints its time only when some value of it has one:
// SQL Server keeps plain dates as datetime at midnight.
std::vector<bool> columnsWithTime(const Table &table, const std::vector<int> &rowOrder)
{
    std::vector<bool> withTime(table.columnCount(), false);
    for (int c = 0; c < table.columnCount(); ++c) {
        if (table.columnType(c) != Table::Type::DateTime)
            continue;
        for (int row : rowOrder) {
            const QVariant v = table.value(row, c);
            if (v.typeId() == QMetaType::QDateTime && v.toDateTime().time() != QTime(0, 0)) {
                withTime[c] = true;
                break;
            }
        }
    }
    return withTime;
}

QString cellText(const QVariant &v, bool withTime)
{
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return QString();
    case QMetaType::Double:
    case QMetaType::Float:
        return plainNumber(v.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return v.toString();
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        return withTime ? dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                        : dt.date().toString(Qt::ISODate);
    }
    default:
        return v.toString();
    }
}

} // namespace

QString plainNumber(double value)
{
    if (!std::isfinite(value))
        return QString();
    // Six places at most, and no more than a double holds (15 significant
    // digits): what is left beyond that is the residue of binary arithmetic,
    // not part of the figure.
    const double magnitude = std::fabs(value);
    const int whole = magnitude < 1 ? 1 : int(std::floor(std::log10(magnitude))) + 1;
    const int decimals = std::clamp(15 - whole, 0, 6);
    char buffer[400];
    const std::to_chars_result r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc())
        return QString::number(value, 'f', decimals);
    const char *end = r.ptr;
    if (decimals > 0) {
        while (end[-1] == '0')
            --end;
        if (end[-1] == '.')
            --end;
    }
    const char *begin = buffer;
    if (end - begin == 2 && begin[0] == '-' && begin[1] == '0')
        ++begin;   // no "-0"
    return QString::fromLatin1(begin, int(end - begin));
}

QString csvField(const QString &text)
{
    bool needsQuotes = false;
    for (QChar ch : text) {
        if (ch == QLatin1Char(',') || ch == QLatin1Char('"') || ch == QLatin1Char('\r')
            || ch == QLatin1Char('\n')) {
            needsQuotes = true;
            break;
        }
    }
    if (!needsQuotes)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool exportCsv(const Table &table, const std::vector<int> &rowOrder, const QString &fileName,
               const ExportProgress &progress)
{
    for (int row : rowOrder) {
        if (row < 0 || row >= table.rowCount())
            throw Error(QStringLiteral("Row %1 is not one of the report's rows.").arg(row), kSource);
    }
    ExportFile file(fileName, kSource);
    const int columns = table.columnCount();
    const int total = int(rowOrder.size());
    const std::vector<bool> withTime = columnsWithTime(table, rowOrder);
    const QString lineEnd = QStringLiteral("\r\n");

    QString line;
    for (int c = 0; c < columns; ++c) {
        if (c > 0)
            line += QLatin1Char(',');
        line += csvField(table.columnName(c));
    }
    line += lineEnd;
    file.write(line.toUtf8());

    int done = 0;
    for (int row : rowOrder) {
        line.clear();
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                line += QLatin1Char(',');
            line += csvField(cellText(table.value(row, c), withTime[c]));
        }
        line += lineEnd;
        file.write(line.toUtf8());
        ++done;
        if (progress && (done & 1023) == 0 && !progress(done, total))
            return false;   // the file beside the target goes with `file`
    }
    if (progress && !progress(done, total))
        return false;
    file.commit();
    return true;
}

bool exportCsv(const Report &report, const QString &fileName, const ExportProgress &progress)
{
    const std::shared_ptr<const Table> rows = report.rows();
    if (!rows)
        throw Error(QStringLiteral("The report has no rows to export."), kSource);
    return exportCsv(*rows, report.rowOrder(), fileName, progress);
}

} // namespace orvane
