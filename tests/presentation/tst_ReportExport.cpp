// The seven report layouts printed under the largest amounts and longest names
// and exported as printed; CSV and Excel exports of plain rows read back.

#include <QMap>
#include <QPdfWriter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <functional>

#include "CsvExport.h"
#include "Document.h"
#include "Error.h"
#include "PageTexts.h"
#include "Printing.h"
#include "Report.h"
#include "ReportExport.h"
#include "ReportLayouts.h"
#include "TestFiles.h"
#include "TestTable.h"
#include "XlsxExport.h"

using namespace orvane;

namespace {

constexpr double kLargest = 999999999999.99;   // a trading house's largest amount

/// A plain purchase, one whose vendor holds a comma, a quote and an apostrophe
/// (its date a datetime at midnight, as ODBC hands back), one with NULLs, and
/// one whose amounts carry the residue of the query's arithmetic.
std::shared_ptr<const Table> purchaseRows()
{
    return test::tableOf(
        {QStringLiteral("purchaseid"), QStringLiteral("purchasedate"), QStringLiteral("vendorname"),
         QStringLiteral("NetValue"), QStringLiteral("Qty")},
        {{101, QDate(2024, 4, 1), QStringLiteral("Karachi Traders"), 1234.5, 12.0},
         {102, QDateTime(QDate(2024, 4, 2), QTime(0, 0)), QStringLiteral("Ali, \"Bhai\" O'Neil"), -0.75, 3.0},
         {103, QDate(2025, 3, 31), QVariant(), 82460878.32, QVariant()},
         {104, QDate(2025, 3, 31), QStringLiteral("Zoë"), 42399.42000000016, 934.5056999999999}});
}

struct Cell
{
    QString type;      // the t attribute; "" means number
    int style = 0;     // the s attribute
    QString value;     // <v>, or the text of a shared or inline string
    QString formula;   // <f>
    int level = 0;     // its row's outline level
};

QMap<QString, Cell> sheetCells(const QString &xlsx)
{
    QStringList shared;
    QXmlStreamReader strings(test::zipMember(xlsx, QStringLiteral("xl/sharedStrings.xml")));
    while (!strings.atEnd()) {
        if (strings.readNext() == QXmlStreamReader::StartElement && strings.name() == u"t")
            shared << strings.readElementText();
    }
    QMap<QString, Cell> cells;
    QXmlStreamReader xml(test::zipMember(xlsx, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString ref;
    int level = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"row") {
            level = xml.attributes().value(QLatin1String("outlineLevel")).toInt();
        } else if (xml.isStartElement() && xml.name() == u"c") {
            const QXmlStreamAttributes a = xml.attributes();
            ref = a.value(QLatin1String("r")).toString();
            cells[ref].type = a.value(QLatin1String("t")).toString();
            cells[ref].style = a.value(QLatin1String("s")).toInt();
            cells[ref].level = level;
        } else if (xml.isStartElement() && xml.name() == u"f") {
            cells[ref].formula = xml.readElementText();
        } else if (xml.isStartElement() && (xml.name() == u"v" || xml.name() == u"t")) {
            cells[ref].value = xml.readElementText();
            if (cells[ref].type == QLatin1String("s"))
                cells[ref].value = shared.value(cells[ref].value.toInt());
        }
    }
    return cells;
}

/// The number format code of each cell style.
QStringList formatCodes(const QString &xlsx)
{
    QMap<int, QString> codes = {{0, QStringLiteral("General")}};
    QStringList byStyle;
    bool inCellXfs = false;
    QXmlStreamReader r(test::zipMember(xlsx, QStringLiteral("xl/styles.xml")));
    while (!r.atEnd()) {
        r.readNext();
        const auto id = r.attributes().value(QLatin1String("numFmtId")).toInt();
        if (r.isStartElement() && r.name() == u"numFmt")
            codes.insert(id, r.attributes().value(QLatin1String("formatCode")).toString());
        else if ((r.isStartElement() || r.isEndElement()) && r.name() == u"cellXfs")
            inCellXfs = r.isStartElement();
        else if (r.isStartElement() && inCellXfs && r.name() == u"xf")
            byStyle << codes.value(id, QString::number(id));
    }
    return byStyle;
}

/// Rows for `layout`: a column for each field its groups and bands name (first spelling kept),
/// `lines` rows; `cell` gives each value from the column's lower-case name, its format and the row.
using CellOf = std::function<QVariant(const QString &column, FieldFormat::Type type, int row)>;
std::shared_ptr<const Table> layoutRows(const Layout &layout, int lines, const CellOf &cell)
{
    QMap<QString, FieldFormat::Type> columns;
    QMap<QString, QString> names;
    const auto add = [&](const QString &field, FieldFormat::Type type) {
        if (!field.isEmpty() && !columns.contains(field.toLower())) {
            columns.insert(field.toLower(), type);
            names.insert(field.toLower(), field);
        }
    };
    for (const Group &g : layout.groups)
        add(g.field, FieldFormat::Integer);
    for (const Section &s : layout.sections) {
        for (const LayoutObject &o : s.objects)
            add(o.field, o.format.type);
    }
    Table::Builder b(names.values());
    for (int r = 0; r < lines; ++r) {
        b.beginRow();
        int c = 0;
        for (auto it = columns.cbegin(); it != columns.cend(); ++it)
            b.setValue(c++, cell(it.key(), it.value(), r));
        b.endRow();
    }
    return b.finish();
}

/// Every column at its limit: amounts of ±kLargest whose document totals and
/// grand total (sign × kLargest) are such amounts too, nine-digit codes, names
/// past their 60 characters with accents and right-to-left script; documents of 3, 3 and 1 lines.
QVariant stressed(const QString &column, FieldFormat::Type type, int r, int sign)
{
    static const QStringList names = {
        QString::fromUtf8("Şükrü Öztürk Gıda Pazarlama ve Ticaret Anonim Şirketi, Çukurova Tarım Ürünleri"),
        QStringLiteral("Muhammad Abdul-Rahman Al-Qureshi & Brothers General Trading Co. (Private) Limited"),
        QString::fromUtf8("شركة الأسمدة الوطنية المحدودة للتجارة والتوزيع والاستيراد"),
        QStringLiteral("O'Brien \"Seeds\"; Nitrogen-Phosphate-Sulphur-Granular-Fertiliser-Extra-Strength")};
    if (column.endsWith(QLatin1String("id")))   // document, product, vendor
        return 999999990 + r / 3 + (column.startsWith(QLatin1String("product")) ? r : 0);
    const double amount = r == 6 ? sign : r % 2 ? -1 : 1;
    const QVariant text = column == QLatin1String("billno") || column == QLatin1String("unitname")
        ? QVariant(QStringLiteral("INV/2026-03/99999-Z")) : QVariant(names[(r + int(column.size())) % names.size()]);
    const QVariant values[] = {text, amount * kLargest, amount * 99999999.99, 999999999, QDate(2026, 3, 31)};
    return values[int(type)];
}

/// Three lines to a document, money with the residue of arithmetic and eight-digit figures.
QVariant ordinary(const QString &column, FieldFormat::Type type, int r)
{
    if (column.endsWith(QLatin1String("id")) || type == FieldFormat::Integer)
        return 100 + r / 3;
    if (type == FieldFormat::Date)
        return QDate(2024, 4, 1).addDays(r / 3);
    if (type == FieldFormat::Text)
        return QStringLiteral("O'Brien & Sons %1").arg(r);
    return r % 5 == 1 ? 82460878.32 : (r * 7919 % 100000) / 100.0 * 0.17 + 0.1 + 0.2;
}

/// The totals a page model prints, band by band, each band's from left to right.
QStringList printedTotals(const Document &doc)
{
    QStringList totals;
    for (int page = 0; page < doc.pageCount(); ++page) {
        const PageEntry &pe = doc.pages[size_t(page)];
        for (int i = pe.first; i < pe.first + pe.count; ++i) {
            const Placement &p = doc.placements[size_t(i)];
            const auto &objects = doc.layout().sections[p.section].objects;
            std::vector<int> sums;
            for (int j = 0; j < int(objects.size()); ++j) {
                if (objects[size_t(j)].kind == ObjectKind::Summary)
                    sums.push_back(j);
            }
            std::sort(sums.begin(), sums.end(), [&](int a, int b) { return objects[a].rect.left() < objects[b].rect.left(); });
            for (int j : sums)
                totals << objectText(doc, page, p, j);
        }
    }
    return totals;
}

} // namespace

class tst_ReportExport : public QObject
{
    Q_OBJECT

private slots:
    // Both read back as a person would have written them: the rows in the order
    // given, text quoted where it must be, dates as dates, NULL as an empty
    // cell, numbers without the residue of binary arithmetic, money as money.
    void dataExportsReadBack()
    {
        QTemporaryDir dir;
        const QString csv = dir.filePath(QStringLiteral("purchases.csv"));
        QVERIFY(exportCsv(*purchaseRows(), {2, 0, 1, 3}, csv));
        QCOMPARE(test::readBytes(csv), QByteArray("purchaseid,purchasedate,vendorname,NetValue,Qty\r\n"
                                                  "103,2025-03-31,,82460878.32,\r\n"
                                                  "101,2024-04-01,Karachi Traders,1234.5,12\r\n"
                                                  "102,2024-04-02,\"Ali, \"\"Bhai\"\" O'Neil\",-0.75,3\r\n"
                                                  "104,2025-03-31,Zo\xC3\xAB,42399.42,934.5057\r\n"));
        QCOMPARE(csvField(QStringLiteral("two\nlines")), QStringLiteral("\"two\nlines\""));

        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("the unzip program is needed to read the workbook back");
        const QString xlsx = dir.filePath(QStringLiteral("purchases.xlsx"));
        QVERIFY(exportXlsx(*purchaseRows(), {2, 0, 1, 3}, xlsx));
        const QStringList formats = formatCodes(xlsx);
        QStringList cells;   // ref=value, text in quotes, and the number format
        const QMap<QString, Cell> sheet = sheetCells(xlsx);
        for (auto it = sheet.cbegin(); it != sheet.cend(); ++it) {
            const bool number = it->type.isEmpty() || it->type == QLatin1String("n");
            cells << QStringLiteral("%1=%2 %3").arg(it.key(), number ? it->value : QLatin1Char('"') + it->value + QLatin1Char('"'),
                                                    formats.value(it->style));
        }
        // Column by column; 45383 is 1 April 2024. NULLs leave C2 and E2 out.
        QCOMPARE(cells.join(QStringLiteral(", ")),
                 QStringLiteral("A1=\"purchaseid\" General, A2=103 General, A3=101 General, A4=102 General, A5=104 General, "
                                "B1=\"purchasedate\" General, B2=45747 dd/mm/yyyy, B3=45383 dd/mm/yyyy, B4=45384 dd/mm/yyyy, "
                                "B5=45747 dd/mm/yyyy, C1=\"vendorname\" General, C3=\"Karachi Traders\" General, "
                                "C4=\"Ali, \"Bhai\" O'Neil\" General, C5=\"Zoë\" General, D1=\"NetValue\" General, "
                                "D2=82460878.32 #,##0.00, D3=1234.5 #,##0.00, D4=-0.75 #,##0.00, D5=42399.42 #,##0.00, "
                                "E1=\"Qty\" General, E3=12 #,##0.00, E4=3 #,##0.00, E5=934.5057 #,##0.00"));
    }

    void plainNumber_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("residue below") << 1129916.0999999999 << "1129916.1";
        QTest::newRow("average to six places") << 4342.338333333333 << "4342.338333";
        QTest::newRow("tiny negative is zero") << -0.0000004 << "0";
        QTest::newRow("largest amount") << 999999999999.99 << "999999999999.99";
        QTest::newRow("largest negative amount") << -999999999999.99 << "-999999999999.99";
        QTest::newRow("no exponent") << 1e15 << "1000000000000000";
        QTest::newRow("small share") << 0.000123456789 << "0.000123";
    }

    // What a person would write, the same in the CSV and the workbook.
    void plainNumber()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(orvane::plainNumber(value), text);
    }

    void xlsxAsPrinted_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("printTitles");   // rows repeated on every printed page
        QTest::addColumn<QString>("titles");        // the column titles, as the page header shows them
        QTest::addColumn<QString>("heading");       // a heading the window sets; "" : the date parameter
        QTest::newRow("purchase summary") << "crpPurchaseSummary" << "$3:$3"
            << "Inv. No.|Date|Vendor|Gross Value|Discount|Sales Tax|Net Value|Paid Amount" << "txtDate";
        QTest::newRow("purchase register") << "crpPurchaseRegisterIW" << "$3:$3"
            << "Code|Product|Qty|Bonus|Price|Gross Value|Discount|Sales Tax|Net Value" << "Txtinvoice";
        QTest::newRow("return register") << "CrpPurchaseReturnRegister" << "$4:$4"
            << "Code|Product|Unit|Multiplier|Qty|Bonus|Price|Gross Value|Discount|Sales Tax|Net Value" << "txtDate";
        QTest::newRow("ledger") << "crpPurchaseLedger" << "$4:$4"
            << "Invoice No.|Date|Bill No.|Vendor|Qty|Bonus|Price|Gross Value|Discount|Sales Tax|Net Value" << "txtDate";
        QTest::newRow("return ledger") << "crpPurchaseReturnLedger" << "$5:$5"
            << "Return No.|Date|Vendor|Qty|Bonus|Price|Gross Value|Discount|Sales Tax|Net Value" << "txtCompName";
        QTest::newRow("returns summary") << "crpPurchaseReturnSummary" << "$4:$4"
            << "Return No.|Date|Purchase No.|Vendor|Qty|Bonus|Price|Gross Value|Discount|Sales Tax|Net Value" << "txtCompName";
        QTest::newRow("product-wise, headings over the titles") << "CrpProductWisePurchase" << "$4:$5"
            << "Code|Product|Unit|Qty|Avg. Price|Discount|Value|Qty|Avg. Price|Discount|Value" << "";
    }

    // The workbook as printed: titles frozen and repeated, the date heading,
    // totals as SUBTOTAL formulas that add up exactly their group's lines and
    // whose values are the printed totals, groups that fold, numbers without residue.
    void xlsxAsPrinted()
    {
        QFETCH(QString, layout);
        QFETCH(QString, printTitles);
        QFETCH(QString, titles);
        QFETCH(QString, heading);
        if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
            QSKIP("the unzip program is needed to read the workbook back");
        const int lines = 40;
        const std::unique_ptr<Report> report = createReportLayout(layout);
        report->setRows(layoutRows(report->layout(), lines, ordinary));
        const QString text = QStringLiteral("O'Brien & Sons: 01-Apr-2024 To 30-Apr-2024");
        if (heading.isEmpty())
            report->ParameterFields(2).AddCurrentValue(text);
        else
            report->object(heading).SetText(text);
        const Document doc = report->paginate();
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("printed.xlsx"));
        QVERIFY(exportReport(*report, ExportFormat::XlsxReport, file, {}, &doc));

        const QString book = test::zipMember(file, QStringLiteral("xl/workbook.xml"));
        QVERIFY2(book.contains(QStringLiteral("!") + printTitles + QStringLiteral("</definedName>")), qPrintable(book));
        const int titleRow = printTitles.section(QLatin1Char('$'), -1).toInt();
        const QString sheet = test::zipMember(file, QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY(sheet.contains(QStringLiteral("<pane ySplit=\"%1\"").arg(titleRow)));
        QVERIFY(sheet.contains(QStringLiteral("orientation=\"landscape\" fitToWidth=\"1\"")));

        const QMap<QString, Cell> cells = sheetCells(file);
        QMap<QString, QString> titleCells;   // keyed so that column Z comes before AA
        QStringList headings, totals;
        int lineRows = 0;
        const int groups = int(report->layout().groups.size());
        for (auto it = cells.begin(); it != cells.end(); ++it) {
            const int row = it.key().mid(it.key().indexOf(QRegularExpression(QStringLiteral("\\d")))).toInt();
            const QString column = it.key().left(it.key().size() - QString::number(row).size());
            if (row == titleRow)
                titleCells.insert(QString::number(column.size()) + column, it->value);
            if (column == QLatin1String("A") && row < titleRow)
                headings << it->value;
            if (column == QLatin1String("A") && row > titleRow && it->level == groups && groups > 0)
                ++lineRows;
            if (it->type.isEmpty() && !it->value.isEmpty())   // no residue of binary arithmetic
                QCOMPARE(it->value, orvane::plainNumber(it->value.toDouble()));
            if (it->formula.isEmpty())
                continue;
            // What a spreadsheet calculates: the numbers of the range, other subtotals left out.
            const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^SUBTOTAL\\(9,([A-Z]+)(\\d+):\\1(\\d+)\\)$")).match(it->formula);
            QVERIFY2(m.hasMatch(), qPrintable(it->formula));
            double sum = 0;
            for (int r = m.captured(2).toInt(); r <= m.captured(3).toInt(); ++r) {
                const Cell c = cells.value(m.captured(1) + QString::number(r));
                sum += c.formula.isEmpty() ? c.value.toDouble() : 0;
            }
            QCOMPARE(QString::number(sum, 'f', 2), QString::number(it->value.toDouble(), 'f', 2));
            QCOMPARE(it->level, 0);
            totals << QLocale(QLocale::English, QLocale::UnitedStates).toString(it->value.toDouble(), 'f', 2);
        }
        QCOMPARE(QStringList(titleCells.values()).join(QLatin1Char('|')), titles);
        QVERIFY2(headings.contains(text), qPrintable(headings.join(QLatin1Char('|'))));
        QCOMPARE(lineRows, groups > 0 ? lines : 0);
        QStringList printed = printedTotals(doc);
        std::sort(printed.begin(), printed.end());
        std::sort(totals.begin(), totals.end());
        QCOMPARE(totals, printed);
        QCOMPARE(totals.size(), groups > 0 ? (lines / 3 + 1) * 4 + 4 : printed.size());
    }

    void stressedPages_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<int>("sign");
        for (const QString &name : reportLayoutNames()) {
            QTest::addRow("%s, largest amounts", qPrintable(name)) << name << 1;
            QTest::addRow("%s, most negative amounts", qPrintable(name)) << name << -1;
            QTest::addRow("%s, no rows", qPrintable(name)) << name << 0;
        }
    }

    // On every page of every layout, under the largest amounts and the longest
    // names: each text inside its band and the page's body, no two texts over
    // one another, no heading cut, each figure drawn whole, every amount at 6 pt
    // or more. Bound to no rows, it still prints: headings and totals on one page.
    void stressedPages()
    {
        QFETCH(QString, className);
        QFETCH(int, sign);
        QVERIFY_THROWS_EXCEPTION(Error, createReportLayout(className.toLower()));   // exact names only
        const std::unique_ptr<Report> report = createReportLayout(className);
        for (const Section &section : report->layout().sections) {
            for (const LayoutObject &o : section.objects) {   // money right-aligned as money, dates as dates
                const QString f = o.field.toLower();
                if (f.contains(QLatin1String("value")) || f.contains(QLatin1String("disc")) || f == QLatin1String("salestax")
                    || f.endsWith(QLatin1String("amount")))
                    QVERIFY2(o.format.type == FieldFormat::Money && (o.alignment & Qt::AlignRight), qPrintable(o.name));
                if (f.endsWith(QLatin1String("date")))
                    QVERIFY2(o.format.type == FieldFormat::Date, qPrintable(o.name));
            }
        }
        for (const ReportSection *section : report->Sections()) {
            for (ReportObject *o : section->ReportObjects()) {
                if (o->Name().startsWith(QLatin1String("txt"), Qt::CaseInsensitive))   // the texts windows set
                    o->SetText(QStringLiteral("Between : 01-Apr-2025 To 31-Mar-2026 Çukurova Tarım Ürünleri"));
            }
        }
        for (int p = 1; p <= report->parameterCount(); ++p)
            report->ParameterFields(p).AddCurrentValue(QStringLiteral("Şükrü Öztürk Gıda Pazarlama ve Ticaret A.Ş."));
        report->setRows(layoutRows(report->layout(), sign ? 7 : 0, [sign](const QString &column, FieldFormat::Type type, int r) {
            return stressed(column, type, r, sign);
        }));
        const Document doc = report->paginate();
        const Layout &layout = doc.layout();
        const QRectF body = QRectF(layout.bodyRectMm().topLeft() * kPtPerMm, layout.bodyRectMm().size() * kPtPerMm);
        const double slack = 0.01;
        PageRenderer renderer(doc);
        int figures = 0;
        for (int page = 0; page < doc.pageCount(); ++page) {
            const std::vector<PlacedText> texts = test::pageTexts(renderer, page);
            int shown = 0, drawn = 0;   // figures the page has, and those drawn
            const PageEntry &entry = doc.pages[size_t(page)];
            for (int i = entry.first; i < entry.first + entry.count; ++i) {
                const Placement &p = doc.placements[size_t(i)];
                for (int j = 0; j < int(layout.sections[p.section].objects.size()); ++j)
                    shown += layout.sections[p.section].objects[size_t(j)].isFigure() && !objectText(doc, page, p, j).isEmpty();
            }
            for (size_t i = 0; i < texts.size(); ++i) {
                const PlacedText &t = texts[i];
                const Placement &p = doc.placements[size_t(t.placement)];
                const LayoutObject &o = layout.sections[p.section].objects[size_t(t.object)];
                const QString where = QStringLiteral("page %1, %2 '%3'").arg(page + 1).arg(o.name, t.text);
                const double top = body.top() + p.y * kPtPerMm;
                QVERIFY2(t.box().top() >= top - slack && t.box().bottom() <= top + doc.bandHeight(p) * kPtPerMm + slack,
                         qPrintable(where + QStringLiteral(" leaves its band")));
                QVERIFY2(t.box().left() >= body.left() - slack && t.box().right() <= body.right() + slack,
                         qPrintable(where + QStringLiteral(" leaves the page")));
                for (size_t j = 0; j < i; ++j) {
                    const QRectF common = t.box().intersected(texts[j].box());
                    QVERIFY2(common.width() <= slack || common.height() <= slack,
                             qPrintable(where + QStringLiteral(" runs into '%1'").arg(texts[j].text)));
                }
                QVERIFY2(o.kind != ObjectKind::Text || !t.text.endsWith(QChar(0x2026)), qPrintable(where + QStringLiteral(" is cut")));
                if (!o.isFigure())
                    continue;
                ++drawn;
                QCOMPARE(t.text, objectText(doc, page, p, t.object));
                if (o.format.type == FieldFormat::Money)
                    QVERIFY2(t.size >= PageRenderer::figureFloor(o.font.size), qPrintable(where + QStringLiteral(" is illegible")));
            }
            QCOMPARE(drawn, shown);
            figures += drawn;
        }
        if (sign != 0) {
            QVERIFY(figures > 20);
            return;
        }
        QCOMPARE(doc.pageCount(), 1);
        QTemporaryDir dir;
        QPdfWriter writer(dir.filePath(QStringLiteral("empty.pdf")));
        QVERIFY(paintDocument(writer, doc));
    }
};

QTEST_MAIN(tst_ReportExport)
#include "tst_ReportExport.moc"
