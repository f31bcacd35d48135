// CSV and Excel exports read back: the values a spreadsheet user sees, and no
// partial file when an export fails or is cancelled.

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include "CsvExport.h"
#include "Error.h"
#include "Table.h"
#include "XlsxExport.h"

using namespace orvane;

namespace {

/// A plain purchase, one whose vendor holds a comma, a quote and an apostrophe
/// (its date a datetime at midnight, as ODBC hands back), one with NULLs, and
/// one whose amounts carry the residue of the query's arithmetic.
std::shared_ptr<const Table> purchaseRows()
{
    Table::Builder b({QStringLiteral("purchaseid"), QStringLiteral("purchasedate"),
                      QStringLiteral("vendorname"), QStringLiteral("NetValue"), QStringLiteral("Qty")});
    const QList<QVariantList> rows = {
        {101, QDate(2024, 4, 1), QStringLiteral("Karachi Traders"), 1234.5, 12.0},
        {102, QDateTime(QDate(2024, 4, 2), QTime(0, 0)), QStringLiteral("Ali, \"Bhai\" O'Neil"), -0.75, 3.0},
        {103, QDate(2025, 3, 31), QVariant(), 12345678.9, QVariant()},
        {104, QDate(2025, 3, 31), QStringLiteral("Zoë"), 42399.42000000016, 934.5056999999999}};
    for (const QVariantList &row : rows) {
        b.beginRow();
        for (int c = 0; c < row.size(); ++c)
            b.setValue(c, row.at(c));
        b.endRow();
    }
    return b.finish();
}

QByteArray readAll(const QString &fileName)
{
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// One part of a workbook, read with the system's unzip.
QByteArray part(const QString &xlsx, const QString &name)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), xlsx, name});
    return unzip.waitForFinished(30000) && unzip.exitCode() == 0 ? unzip.readAllStandardOutput() : QByteArray();
}

struct Cell
{
    QString type;    // the t attribute; "" means number
    int style = 0;   // the s attribute
    QString value;   // <v>, or the text of a shared or inline string
};

QMap<QString, Cell> sheetCells(const QString &xlsx)
{
    QStringList shared;
    QXmlStreamReader strings(part(xlsx, QStringLiteral("xl/sharedStrings.xml")));
    while (!strings.atEnd()) {
        if (strings.readNext() == QXmlStreamReader::StartElement && strings.name() == u"t")
            shared << strings.readElementText();
    }
    QMap<QString, Cell> cells;
    QXmlStreamReader xml(part(xlsx, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString ref;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"c") {
            const QXmlStreamAttributes a = xml.attributes();
            ref = a.value(QLatin1String("r")).toString();
            cells[ref].type = a.value(QLatin1String("t")).toString();
            cells[ref].style = a.value(QLatin1String("s")).toInt();
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
    QXmlStreamReader r(part(xlsx, QStringLiteral("xl/styles.xml")));
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

} // namespace

class tst_ReportExport : public QObject
{
    Q_OBJECT

private slots:
    void csvReadsBack();
    void plainNumber_data();
    void plainNumber();
    void xlsxCells_data();
    void xlsxCells();
    void noPartialFile_data();
    void noPartialFile();
};

void tst_ReportExport::csvReadsBack()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("purchases.csv"));
    QVERIFY(exportCsv(*purchaseRows(), {2, 0, 1, 3}, file));
    QCOMPARE(readAll(file), QByteArray("purchaseid,purchasedate,vendorname,NetValue,Qty\r\n"
                                       "103,2025-03-31,,12345678.9,\r\n"
                                       "101,2024-04-01,Karachi Traders,1234.5,12\r\n"
                                       "102,2024-04-02,\"Ali, \"\"Bhai\"\" O'Neil\",-0.75,3\r\n"
                                       "104,2025-03-31,Zo\xC3\xAB,42399.42,934.5057\r\n"));
    QCOMPARE(csvField(QStringLiteral("two\nlines")), QStringLiteral("\"two\nlines\""));
}

void tst_ReportExport::plainNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("sum with residue") << 42399.42000000016 << "42399.42";
    QTest::newRow("residue below") << 1129916.0999999999 << "1129916.1";
    QTest::newRow("four places") << 934.5056999999999 << "934.5057";
    QTest::newRow("average to six places") << 4342.338333333333 << "4342.338333";
    QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << "0.3";
    QTest::newRow("rounds at the sixth place") << 1.23456789 << "1.234568";
    QTest::newRow("tiny negative is zero") << -0.0000004 << "0";
    QTest::newRow("largest amount") << 999999999999.99 << "999999999999.99";
    QTest::newRow("largest negative amount") << -999999999999.99 << "-999999999999.99";
    QTest::newRow("no exponent") << 1e15 << "1000000000000000";
    QTest::newRow("small share") << 0.000123456789 << "0.000123";
}

// What a person would write, the same in the CSV and the workbook.
void tst_ReportExport::plainNumber()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(orvane::plainNumber(value), text);
}

void tst_ReportExport::xlsxCells_data()
{
    QTest::addColumn<QString>("ref");
    QTest::addColumn<QString>("type");   // "" : a number
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("format");
    // Row 2 is table row 2 (the order given), row 3 table row 0, row 4 table row 1.
    QTest::newRow("header") << "A1" << "s" << "purchaseid" << "General";
    QTest::newRow("integer id") << "A3" << "" << "101" << "General";
    QTest::newRow("date is serial day 45383") << "B3" << "" << "45383" << "dd/mm/yyyy";
    QTest::newRow("datetime at midnight too") << "B4" << "" << "45384" << "dd/mm/yyyy";
    QTest::newRow("awkward text") << "C4" << "s" << "Ali, \"Bhai\" O'Neil" << "General";
    QTest::newRow("money exact") << "D3" << "" << "1234.5" << "#,##0.00";
    QTest::newRow("negative fraction") << "D4" << "" << "-0.75" << "#,##0.00";
    QTest::newRow("NULL is an empty cell") << "E2" << "" << "" << "General";
    QTest::newRow("money without residue") << "D5" << "" << "42399.42" << "#,##0.00";
    QTest::newRow("quantity without residue") << "E5" << "" << "934.5057" << "#,##0.00";
}

void tst_ReportExport::xlsxCells()
{
    QFETCH(QString, ref);
    QFETCH(QString, type);
    QFETCH(QString, value);
    QFETCH(QString, format);
    if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
        QSKIP("the unzip program is needed to read the workbook back");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("purchases.xlsx"));
    QVERIFY(exportXlsx(*purchaseRows(), {2, 0, 1, 3}, file));
    const Cell cell = sheetCells(file).value(ref);
    if (value.isEmpty()) {
        QCOMPARE(cell.value, QString());
        return;
    }
    // Text may be shared or inline; a number must be a number.
    QCOMPARE(cell.type.isEmpty() || cell.type == QLatin1String("n") ? QString() : QStringLiteral("s"), type);
    // A number cell holds exactly the double of the figure as written: the
    // writer spells doubles in 16 digits, so its text is not compared.
    if (type.isEmpty())
        QCOMPARE(QString::number(cell.value.toDouble(), 'g', 17), QString::number(value.toDouble(), 'g', 17));
    else
        QCOMPARE(cell.value, value);
    QCOMPARE(formatCodes(file).value(cell.style), format);
}

void tst_ReportExport::noPartialFile_data()
{
    QTest::addColumn<bool>("xlsx");
    QTest::addColumn<QString>("dirName");   // "" : a writable one, the export cancelled
    QTest::newRow("csv, directory missing") << false << "/nonexistent-orvane-dir";
    QTest::newRow("xlsx, directory missing") << true << "/nonexistent-orvane-dir";
    QTest::newRow("csv cancelled") << false << "";
    QTest::newRow("xlsx cancelled") << true << "";
}

void tst_ReportExport::noPartialFile()
{
    QFETCH(bool, xlsx);
    QFETCH(QString, dirName);
    QTemporaryDir temp;
    const QString dir = dirName.isEmpty() ? temp.path() : dirName;
    const QString file = dir + (xlsx ? QStringLiteral("/kept.xlsx") : QStringLiteral("/kept.csv"));
    if (dirName.isEmpty()) {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    int calls = 0;
    const ExportProgress cancelAtTheEnd = [&calls](int done, int total) {
        ++calls;
        return done < total;
    };
    try {
        const bool finished = xlsx ? exportXlsx(*purchaseRows(), {0, 1, 2}, file, cancelAtTheEnd)
                                   : exportCsv(*purchaseRows(), {0, 1, 2}, file, cancelAtTheEnd);
        QVERIFY(!finished);
        QVERIFY(calls > 0);
        QVERIFY(dirName.isEmpty());
    } catch (const Error &e) {
        QVERIFY(!dirName.isEmpty());
        QVERIFY2(e.description().startsWith(QLatin1String("The report could not be saved as"))
                     && e.description().contains(file),
                 qPrintable(e.description()));
    }
    QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden),
             dirName.isEmpty() ? QStringList({QFileInfo(file).fileName()}) : QStringList());
    if (dirName.isEmpty())
        QCOMPARE(readAll(file), QByteArray("old contents"));
}

QTEST_GUILESS_MAIN(tst_ReportExport)
#include "tst_ReportExport.moc"
