#include "ReportExport.h"

#include "CsvExport.h"
#include "PdfExport.h"
#include "Report.h"
#include "XlsxExport.h"
#include "XlsxReportExport.h"

#include <QFileInfo>

namespace orvane {

namespace {

struct FormatName
{
    const char *name;
    ExportFormat format;
};

const FormatName kNames[] = {{"pdf", ExportFormat::Pdf},
                             {"csv", ExportFormat::Csv},
                             {"xlsx", ExportFormat::Xlsx},
                             {"xlsx-report", ExportFormat::XlsxReport}};

} // namespace

std::optional<ExportFormat> exportFormatFromName(const QString &name)
{
    for (const FormatName &n : kNames) {
        if (name.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0)
            return n.format;
    }
    return std::nullopt;
}

std::optional<ExportFormat> exportFormatFromFileName(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix();
    // Only the plain names are suffixes: "x.xlsx-report" is no file type.
    if (suffix.contains(QLatin1Char('-')))
        return std::nullopt;
    return exportFormatFromName(suffix);
}

QString exportFormatNames()
{
    QStringList names;
    for (const FormatName &n : kNames)
        names << QLatin1String(n.name);
    return names.join(QLatin1String(", "));
}

bool exportCountsPages(ExportFormat format)
{
    return format == ExportFormat::Pdf || format == ExportFormat::XlsxReport;
}

bool exportReport(const Report &report, ExportFormat format, const QString &fileName, const ExportProgress &progress,
                  const Document *laidOut)
{
    switch (format) {
    case ExportFormat::Pdf:
        return laidOut ? exportPdf(*laidOut, fileName, progress) : exportPdf(report, fileName, progress);
    case ExportFormat::Csv:
        return exportCsv(report, fileName, progress);
    case ExportFormat::Xlsx:
        return exportXlsx(report, fileName, progress);
    case ExportFormat::XlsxReport:
        return laidOut ? exportXlsxReport(*laidOut, fileName, progress) : exportXlsxReport(report, fileName, progress);
    }
    return false;
}

} // namespace orvane
