#include "XlsxWorkbook_p.h"

#include "CsvExport.h"   // plainNumber
#include "ExportFile.h"
#include "ZipWriter_p.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

const char *const kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char *const kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char *const kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Text for XML content or attributes. Characters XML cannot hold, and a text
// that reads as the spreadsheet's own escape (_x0041_), are escaped its way.
void appendXml(QByteArray &out, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    const int n = utf8.size();
    for (int i = 0; i < n; ++i) {
        const char c = utf8[i];
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '_':
            if (i + 6 < n && utf8[i + 1] == 'x' && isHex(utf8[i + 2]) && isHex(utf8[i + 3]) && isHex(utf8[i + 4])
                && isHex(utf8[i + 5]) && utf8[i + 6] == '_')
                out += "_x005F_";
            else
                out += c;
            break;
        default:
            if (uchar(c) < 0x20 && c != '\t' && c != '\n') {
                static const char digits[] = "0123456789ABCDEF";
                out += "_x00";
                out += digits[uchar(c) >> 4];
                out += digits[uchar(c) & 15];
                out += '_';
            } else {
                out += c;
            }
        }
    }
}

QByteArray xml(const QString &text)
{
    QByteArray out;
    appendXml(out, text);
    return out;
}

// The paper sizes the format numbers; others print on A4.
int paperCode(QPageSize::PageSizeId id)
{
    switch (id) {
    case QPageSize::Letter: return 1;
    case QPageSize::Legal: return 5;
    case QPageSize::A3: return 8;
    default: return 9;
    }
}

QByteArray inches(double mm)
{
    return QByteArray::number(mm / 25.4, 'f', 3);
}

// A sheet name inside a formula or a defined name: quoted, apostrophes doubled.
QString quotedSheetName(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

XlsxWorkbook::XlsxWorkbook(ExportFile &file) : m_file(file), m_zip(std::make_unique<ZipWriter>(file))
{
    m_styles.emplace_back();
}

XlsxWorkbook::~XlsxWorkbook() = default;

int XlsxWorkbook::style(const XlsxStyle &style)
{
    for (size_t i = 0; i < m_styles.size(); ++i) {
        if (m_styles[i] == style)
            return int(i);
    }
    m_styles.push_back(style);
    return int(m_styles.size()) - 1;
}

QByteArray XlsxWorkbook::columnName(int column)
{
    QByteArray name;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        name.prepend(char('A' + (c - 1) % 26));
    return name;
}

QString XlsxWorkbook::validSheetName(const QString &wanted)
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

void XlsxWorkbook::beginSheet(const XlsxSheetSetup &setup)
{
    m_setup = setup;
    m_setup.name = validSheetName(setup.name);
    m_zip->beginEntry("xl/worksheets/sheet1.xml");
    QByteArray head = QByteArray(kXmlHead) + "<worksheet xmlns=\"" + kMainNs + "\" xmlns:r=\"" + kRelNs + "\">";
    head += "<sheetPr><outlinePr summaryBelow=\"1\"/>";
    if (setup.fitToWidth)
        head += "<pageSetUpPr fitToPage=\"1\"/>";
    head += "</sheetPr><sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\">";
    if (setup.frozenRows > 0) {
        const QByteArray first = "A" + QByteArray::number(setup.frozenRows + 1);
        head += "<pane ySplit=\"" + QByteArray::number(setup.frozenRows) + "\" topLeftCell=\"" + first
                + "\" activePane=\"bottomLeft\" state=\"frozen\"/><selection pane=\"bottomLeft\" activeCell=\""
                + first + "\" sqref=\"" + first + "\"/>";
    }
    head += "</sheetView></sheetViews><sheetFormatPr defaultRowHeight=\"15\"";
    if (setup.outlineLevels > 0)
        head += " outlineLevelRow=\"" + QByteArray::number(setup.outlineLevels) + '"';
    head += "/>";
    if (!setup.columnWidths.empty()) {
        head += "<cols>";
        for (size_t c = 0; c < setup.columnWidths.size(); ++c) {
            const QByteArray n = QByteArray::number(int(c) + 1);
            head += "<col min=\"" + n + "\" max=\"" + n + "\" width=\""
                    + QByteArray::number(setup.columnWidths[c], 'f', 2) + "\" customWidth=\"1\"/>";
        }
        head += "</cols>";
    }
    head += "<sheetData>";
    m_zip->write(head);
}

void XlsxWorkbook::beginRow(int outlineLevel)
{
    endRow();
    ++m_row;
    if (m_row >= kMaxRows)
        throw m_file.failure(QStringLiteral("one sheet holds at most %1 rows").arg(kMaxRows));
    m_rowXml = "<row r=\"" + QByteArray::number(m_row + 1) + '"';
    if (outlineLevel > 0)
        m_rowXml += " outlineLevel=\"" + QByteArray::number(outlineLevel) + '"';
    m_rowXml += '>';
    m_rowOpen = true;
}

void XlsxWorkbook::endRow()
{
    if (!m_rowOpen)
        return;
    m_rowXml += "</row>";
    m_zip->write(m_rowXml);
    m_rowOpen = false;
}

void XlsxWorkbook::cellStart(int column, int style, const char *type)
{
    m_rowXml += "<c r=\"" + columnName(column) + QByteArray::number(m_row + 1) + '"';
    if (style > 0)
        m_rowXml += " s=\"" + QByteArray::number(style) + '"';
    if (type)
        m_rowXml += QByteArray(" t=\"") + type + '"';
    m_rowXml += '>';
}

void XlsxWorkbook::number(int column, double value, int style)
{
    if (!std::isfinite(value))
        return;
    cellStart(column, style, nullptr);
    m_rowXml += "<v>" + plainNumber(value).toLatin1() + "</v></c>";
}

void XlsxWorkbook::text(int column, const QString &text, int style)
{
    cellStart(column, style, "inlineStr");
    const bool keepBlanks = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
    m_rowXml += keepBlanks ? "<is><t xml:space=\"preserve\">" : "<is><t>";
    appendXml(m_rowXml, text);
    m_rowXml += "</t></is></c>";
}

void XlsxWorkbook::boolean(int column, bool value, int style)
{
    cellStart(column, style, "b");
    m_rowXml += value ? "<v>1</v></c>" : "<v>0</v></c>";
}

void XlsxWorkbook::formula(int column, const QString &formula, double cached, int style)
{
    cellStart(column, style, nullptr);
    m_rowXml += "<f>";
    appendXml(m_rowXml, formula);
    m_rowXml += "</f>";
    if (std::isfinite(cached))
        m_rowXml += "<v>" + plainNumber(cached).toLatin1() + "</v>";
    m_rowXml += "</c>";
}

void XlsxWorkbook::merge(int row, int firstColumn, int lastColumn)
{
    if (lastColumn > firstColumn)
        m_merges.push_back({row, {firstColumn, lastColumn}});
}

void XlsxWorkbook::finish()
{
    endRow();
    QByteArray tail = "</sheetData>";
    if (!m_merges.empty()) {
        tail += "<mergeCells count=\"" + QByteArray::number(int(m_merges.size())) + "\">";
        for (const auto &m : m_merges) {
            const QByteArray r = QByteArray::number(m.first + 1);
            tail += "<mergeCell ref=\"" + columnName(m.second.first) + r + ':' + columnName(m.second.second) + r
                    + "\"/>";
        }
        tail += "</mergeCells>";
    }
    const QMarginsF &mm = m_setup.marginsMm;
    tail += "<pageMargins left=\"" + inches(mm.left()) + "\" right=\"" + inches(mm.right()) + "\" top=\""
            + inches(mm.top()) + "\" bottom=\"" + inches(mm.bottom()) + "\" header=\"0.2\" footer=\"0.2\"/>";
    tail += "<pageSetup paperSize=\"" + QByteArray::number(paperCode(m_setup.paper)) + "\" orientation=\""
            + (m_setup.landscape ? "landscape" : "portrait") + '"';
    if (m_setup.fitToWidth)
        tail += " fitToWidth=\"1\" fitToHeight=\"0\"";
    tail += "/></worksheet>";
    m_zip->write(tail);

    m_zip->beginEntry("xl/styles.xml");
    m_zip->write(stylesPart());
    m_zip->beginEntry("xl/workbook.xml");
    m_zip->write(workbookPart());
    m_zip->beginEntry("xl/_rels/workbook.xml.rels");
    m_zip->write(QByteArray(kXmlHead)
                 + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                   "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                   "relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                   "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                   "relationships/styles\" Target=\"styles.xml\"/></Relationships>");
    m_zip->beginEntry("_rels/.rels");
    m_zip->write(QByteArray(kXmlHead)
                 + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                   "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                   "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    m_zip->beginEntry("[Content_Types].xml");
    m_zip->write(QByteArray(kXmlHead)
                 + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                   "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                   "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                   "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
                   "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                   "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/"
                   "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
                   "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/"
                   "vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/></Types>");
    m_zip->finish();
}

QByteArray XlsxWorkbook::workbookPart() const
{
    QByteArray out = QByteArray(kXmlHead) + "<workbook xmlns=\"" + kMainNs + "\" xmlns:r=\"" + kRelNs
                     + "\"><bookViews><workbookView/></bookViews><sheets><sheet name=\"" + xml(m_setup.name)
                     + "\" sheetId=\"1\" r:id=\"rId1\"/></sheets>";
    if (m_setup.printTitleFirst >= 0) {
        out += "<definedNames><definedName name=\"_xlnm.Print_Titles\" localSheetId=\"0\">"
               + xml(quotedSheetName(m_setup.name)) + "!$" + QByteArray::number(m_setup.printTitleFirst + 1)
               + ":$" + QByteArray::number(m_setup.printTitleLast + 1) + "</definedName></definedNames>";
    }
    return out + "</workbook>";
}

// Fonts, number formats and cell formats of the styles in use; each style
// gets one cell format, its index the style's.
QByteArray XlsxWorkbook::stylesPart() const
{
    QStringList formats;
    std::vector<std::pair<QString, std::pair<double, bool>>> fonts = {{QString(), {11, false}}};
    QByteArray xfs;
    for (const XlsxStyle &s : m_styles) {
        int numFmt = 0;
        if (!s.numberFormat.isEmpty()) {
            if (!formats.contains(s.numberFormat))
                formats << s.numberFormat;
            numFmt = 164 + int(formats.indexOf(s.numberFormat));
        }
        const std::pair<QString, std::pair<double, bool>> font{s.fontFamily, {s.fontSize, s.bold}};
        auto f = std::find(fonts.begin(), fonts.end(), font);
        if (f == fonts.end())
            f = fonts.insert(fonts.end(), font);
        xfs += "<xf numFmtId=\"" + QByteArray::number(numFmt) + "\" fontId=\""
               + QByteArray::number(int(f - fonts.begin())) + "\" fillId=\"0\" borderId=\""
               + (s.bottomBorder ? "1" : "0") + "\" xfId=\"0\"";
        const Qt::Alignment h = s.alignment & Qt::AlignHorizontal_Mask;
        const char *horizontal = h & Qt::AlignRight ? "right" : h & Qt::AlignHCenter ? "center"
                                                            : h & Qt::AlignLeft  ? "left" : nullptr;
        xfs += numFmt ? " applyNumberFormat=\"1\"" : "";
        xfs += f != fonts.begin() ? " applyFont=\"1\"" : "";
        xfs += s.bottomBorder ? " applyBorder=\"1\"" : "";
        if (horizontal)
            xfs += QByteArray(" applyAlignment=\"1\"><alignment horizontal=\"") + horizontal + "\"/></xf>";
        else
            xfs += "/>";
    }
    QByteArray out = QByteArray(kXmlHead) + "<styleSheet xmlns=\"" + kMainNs + "\">";
    if (!formats.isEmpty()) {
        out += "<numFmts count=\"" + QByteArray::number(int(formats.size())) + "\">";
        for (int i = 0; i < formats.size(); ++i)
            out += "<numFmt numFmtId=\"" + QByteArray::number(164 + i) + "\" formatCode=\"" + xml(formats[i]) + "\"/>";
        out += "</numFmts>";
    }
    out += "<fonts count=\"" + QByteArray::number(int(fonts.size())) + "\">";
    for (const auto &f : fonts) {
        out += "<font>";
        if (f.second.second)
            out += "<b/>";
        out += "<sz val=\"" + QByteArray::number(f.second.first) + "\"/>";
        out += f.first.isEmpty() ? QByteArray("<name val=\"Calibri\"/><family val=\"2\"/>")
                                 : "<name val=\"" + xml(f.first) + "\"/>";
        out += "</font>";
    }
    out += "</fonts><fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
           "patternType=\"gray125\"/></fill></fills><borders count=\"2\"><border><left/><right/><top/><bottom/>"
           "<diagonal/></border><border><left/><right/><top/><bottom style=\"thin\"><color auto=\"1\"/></bottom>"
           "<diagonal/></border></borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
           "borderId=\"0\"/></cellStyleXfs>";
    out += "<cellXfs count=\"" + QByteArray::number(int(m_styles.size())) + "\">" + xfs + "</cellXfs>";
    out += "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles></styleSheet>";
    return out;
}

} // namespace orvane
