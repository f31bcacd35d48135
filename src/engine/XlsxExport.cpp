#include "XlsxExport.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QVariant>

#include "CsvExport.h"
#include "Error.h"
#include "Layout.h"
#include "Report.h"
#include "Table.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace orvane {

namespace {

const QString kSource = QStringLiteral("Excel export");
constexpr int kMaxCellText = 32767;      // the sheet format's limit per cell
constexpr int kWidthSampleRows = 2000;   // enough to size columns, cheap on 200k rows

QString writeFailure(const QString &fileName, const QString &reason)
{
    return QStringLiteral("The report could not be saved as \"%1\": %2")
        .arg(QFileInfo(fileName).absoluteFilePath(), reason);
}

// Day serial of the sheet format (1900 date system): 1 = 1 January 1900.
double serialDay(const QDate &date)
{
    static const qint64 epoch = QDate(1899, 12, 30).toJulianDay();
    return double(date.toJulianDay() - epoch);
}

QString sheetNameFrom(const QString &wanted)
{
    QString name = wanted.trimmed();
    static const QString forbidden = QStringLiteral("[]:*?/\\");
    for (QChar &ch : name) {
        if (forbidden.contains(ch))
            ch = QLatin1Char(' ');
    }
    name = name.simplified();
    while (name.startsWith(QLatin1Char('\'')))
        name.remove(0, 1);
    name = name.left(31).trimmed();
    while (name.endsWith(QLatin1Char('\'')))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("Report") : name;
}

// In constant memory mode the rows go to a temporary file of the sheet
// through stdio, whose write errors the writer never checks: a disk that fills
// up would leave a cut-off sheet in a workbook that closes without complaint.
// Returns the system's reason once that file has failed, else "".
QString sheetFileFailure(lxw_worksheet *sheet)
{
    FILE *rows = sheet ? sheet->optimize_tmpfile : nullptr;
    if (!rows)
        return QString();
    errno = 0;
    const bool flushed = std::fflush(rows) == 0;
    const int error = errno;
    if (flushed && !std::ferror(rows))
        return QString();
    return error ? QString::fromLocal8Bit(std::strerror(error))
                 : QStringLiteral("the rows could not be written to a temporary file");
}

// Owns the workbook so that every way out of the export closes it.
class Workbook
{
public:
    explicit Workbook(const QByteArray &path)
    {
        lxw_workbook_options options = {};
        options.constant_memory = LXW_TRUE;   // rows are written in order; memory stays flat
        m_book = workbook_new_opt(path.constData(), &options);
    }
    ~Workbook()
    {
        if (m_book)
            workbook_close(m_book);
    }
    lxw_workbook *get() const { return m_book; }
    lxw_error close()
    {
        lxw_workbook *book = m_book;
        m_book = nullptr;
        return workbook_close(book);
    }
    // Drops a cancelled workbook without packaging the rows written so far,
    // which on a large sheet takes seconds; the sheets' row files are closed
    // here because freeing the workbook leaves them open.
    void abandon()
    {
        if (!m_book)
            return;
        lxw_worksheet *sheet = nullptr;
        LXW_FOREACH_WORKSHEET(sheet, m_book)
        {
            if (sheet->optimize_tmpfile) {
                fclose(sheet->optimize_tmpfile);
                sheet->optimize_tmpfile = nullptr;
            }
        }
        lxw_workbook_free(m_book);
        m_book = nullptr;
    }

private:
    lxw_workbook *m_book = nullptr;
};

} // namespace

bool exportXlsx(const Table &table, const std::vector<int> &rowOrder, const QString &fileName,
                const ExportProgress &progress, const QString &sheetName)
{
    if (qint64(rowOrder.size()) + 1 > LXW_ROW_MAX) {
        throw Error(QStringLiteral("The report has %1 rows; one Excel sheet holds at most %2. "
                                   "Narrow the report or export it as CSV.")
                        .arg(rowOrder.size())
                        .arg(LXW_ROW_MAX - 1),
                    kSource);
    }
    for (int row : rowOrder) {
        if (row < 0 || row >= table.rowCount())
            throw Error(QStringLiteral("Row %1 is not one of the report's rows.").arg(row), kSource);
    }

    // The workbook is written beside its target, then renamed over it.
    const QFileInfo target(fileName);
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName()
                        + QStringLiteral(".XXXXXX"));
    if (!temp.open())
        throw Error(writeFailure(fileName, temp.errorString()), kSource);
    const QString tempName = temp.fileName();
    temp.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    temp.close();

    Workbook book(QFile::encodeName(tempName));
    if (!book.get())
        throw Error(writeFailure(fileName, QStringLiteral("the workbook could not be created")), kSource);

    lxw_worksheet *sheet =
        workbook_add_worksheet(book.get(), sheetNameFrom(sheetName).toUtf8().constData());
    lxw_format *header = workbook_add_format(book.get());
    format_set_bold(header);
    format_set_bottom(header, LXW_BORDER_THIN);
    lxw_format *dateFormat = workbook_add_format(book.get());
    format_set_num_format(dateFormat, "dd/mm/yyyy");
    lxw_format *dateTimeFormat = workbook_add_format(book.get());
    format_set_num_format(dateTimeFormat, "dd/mm/yyyy hh:mm");
    lxw_format *moneyFormat = workbook_add_format(book.get());
    format_set_num_format(moneyFormat, "#,##0.00");

    const int columns = table.columnCount();

    // Column widths come from the header and a sample of the rows; in constant
    // memory mode they must be set before the first cell is written.
    for (int c = 0; c < columns; ++c) {
        int width = table.columnName(c).size() + 2;
        const Table::Type type = table.columnType(c);
        if (type == Table::Type::Date || type == Table::Type::DateTime)
            width = std::max(width, type == Table::Type::Date ? 12 : 17);
        const int sample = std::min<int>(int(rowOrder.size()), kWidthSampleRows);
        for (int i = 0; i < sample; ++i) {
            const int row = rowOrder[i];
            int len = 0;
            if (type == Table::Type::Real)
                len = QString::number(table.number(row, c), 'f', 2).size() + 4;
            else if (type != Table::Type::Date && type != Table::Type::DateTime)
                len = table.text(row, c).size() + 1;
            width = std::max(width, len);
        }
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), std::min(width, 60), nullptr);
    }

    for (int c = 0; c < columns; ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), table.columnName(c).toUtf8().constData(), header);
    worksheet_freeze_panes(sheet, 1, 0);

    const int total = int(rowOrder.size());
    int done = 0;
    lxw_row_t sheetRow = 1;
    for (int row : rowOrder) {
        for (int c = 0; c < columns; ++c) {
            const lxw_col_t col = lxw_col_t(c);
            const QVariant v = table.value(row, c);
            lxw_error err = LXW_NO_ERROR;
            switch (v.typeId()) {
            case QMetaType::UnknownType:
                break;   // NULL: an empty cell
            case QMetaType::Double:
            case QMetaType::Float: {
                // The figure the CSV writes, not the residue of the arithmetic
                // behind it: the cell holds the double that a person typing
                // the figure gets (the writer spells it in 16 digits).
                const double d = plainNumber(v.toDouble()).toDouble();
                if (std::isfinite(v.toDouble()))
                    err = worksheet_write_number(sheet, sheetRow, col, d, moneyFormat);
                break;
            }
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::ULongLong:
                err = worksheet_write_number(sheet, sheetRow, col, v.toDouble(), nullptr);
                break;
            case QMetaType::Bool:
                err = worksheet_write_boolean(sheet, sheetRow, col, v.toBool() ? 1 : 0, nullptr);
                break;
            case QMetaType::QDate:
                if (v.toDate().isValid())
                    err = worksheet_write_number(sheet, sheetRow, col, serialDay(v.toDate()), dateFormat);
                break;
            case QMetaType::QDateTime: {
                const QDateTime dt = v.toDateTime();
                if (!dt.isValid())
                    break;
                const QTime t = dt.time();
                if (t == QTime(0, 0)) {
                    err = worksheet_write_number(sheet, sheetRow, col, serialDay(dt.date()), dateFormat);
                } else {
                    const double fraction = t.msecsSinceStartOfDay() / 86400000.0;
                    err = worksheet_write_number(sheet, sheetRow, col, serialDay(dt.date()) + fraction,
                                                 dateTimeFormat);
                }
                break;
            }
            default: {
                const QString text = v.toString();
                if (!text.isEmpty()) {
                    err = worksheet_write_string(sheet, sheetRow, col,
                                                 text.left(kMaxCellText).toUtf8().constData(), nullptr);
                }
                break;
            }
            }
            if (err != LXW_NO_ERROR)
                throw Error(writeFailure(fileName, QString::fromUtf8(lxw_strerror(err))), kSource);
        }
        ++sheetRow;
        ++done;
        if ((done & 1023) == 0) {
            if (const QString failure = sheetFileFailure(sheet); !failure.isEmpty()) {
                book.abandon();
                throw Error(writeFailure(fileName, failure), kSource);
            }
            if (progress && !progress(done, total)) {
                book.abandon();
                return false;   // the temporary file goes with `temp`
            }
        }
    }
    if (const QString failure = sheetFileFailure(sheet); !failure.isEmpty()) {
        book.abandon();
        throw Error(writeFailure(fileName, failure), kSource);
    }
    if (progress && !progress(done, total)) {
        book.abandon();
        return false;
    }

    errno = 0;
    const lxw_error closed = book.close();
    if (closed != LXW_NO_ERROR) {
        // The writer's text for a failed write names its zip layer; the
        // system's reason ("No space left on device") is what the user can act on.
        const int error = errno;
        const bool zipWrite = closed >= LXW_ERROR_ZIP_FILE_OPERATION && closed <= LXW_ERROR_ZIP_CLOSE;
        throw Error(writeFailure(fileName, error && zipWrite ? QString::fromLocal8Bit(std::strerror(error))
                                                             : QString::fromUtf8(lxw_strerror(closed))),
                    kSource);
    }
    // Packaging a large sheet takes seconds and cannot stop half-way; a cancel
    // that came meanwhile still keeps the new file from replacing the old one.
    if (progress && !progress(done, total))
        return false;

    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(tempName).toStdString()),
                            std::filesystem::path(QFile::encodeName(target.absoluteFilePath()).toStdString()),
                            ec);
    if (ec)
        throw Error(writeFailure(fileName, QString::fromLocal8Bit(ec.message().c_str())), kSource);
    temp.setAutoRemove(false);
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
